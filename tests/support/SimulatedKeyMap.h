#pragma once

#include <QHash>

#include "platform/KeyMap.h"

// Physical keys a test declares: per native key code, its neutral code (if it has one) and
// the character it types with no modifier in the layout of the moment.
struct SimulatedKeyMap : KeyMap {
    QHash<quint32, std::pair<std::optional<quint16>, QString>> keys;

    std::optional<quint16> neutralKeyCode(quint32 key) override { return keys.value(key).first; }
    QString plainCharacter(quint32 key) override { return keys.value(key).second; }
};
