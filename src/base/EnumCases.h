#pragma once

#include <QList>
#include <QString>
#include <optional>

// Enumerations stored by raw text list their cases in declaration order through a
// specialisation of allCases<E>() and give their raw text through rawValue(E).
template <typename E>
QList<E> allCases();

// Exact, case-sensitive match of a raw text; any other text gives no value.
template <typename E>
std::optional<E> fromRawValue(const QString& raw) {
    for (const E value : allCases<E>()) {
        if (rawValue(value) == raw) {
            return value;
        }
    }
    return std::nullopt;
}
