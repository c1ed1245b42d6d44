#pragma once

#include <QString>
#include <ostream>

// Readable Qt values in test failure messages.
inline void PrintTo(const QString& value, std::ostream* os) {
    *os << '"' << value.toStdString() << '"';
}
