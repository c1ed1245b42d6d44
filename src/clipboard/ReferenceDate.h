#pragma once

#include <QDateTime>
#include <optional>

#include "base/Json.h"

// The stored form of the clipboard's dates: seconds, with fraction, since 2001-01-01 00:00:00
// UTC.
namespace referenceDate {

double seconds(const QDateTime& date);
QDateTime fromSeconds(double seconds);
// A required date field of a stored object; none when missing or not a number.
std::optional<QDateTime> read(const Json& object, const char* key);

}  // namespace referenceDate
