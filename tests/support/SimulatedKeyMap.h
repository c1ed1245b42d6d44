#pragma once

#include <QHash>

#include "platform/KeyMap.h"

// Physical keys a test declares: a native key code with its neutral code (if it has one) and
// the character it types with no modifier in the layout of the moment.
class SimulatedKeyMap : public KeyMap {
public:
    struct Key {
        std::optional<quint16> neutral;
        QString character;
    };
    void add(quint32 nativeKey, Key key) { keys_.insert(nativeKey, std::move(key)); }

    std::optional<quint16> neutralKeyCode(quint32 nativeKey) override {
        return keys_.value(nativeKey).neutral;
    }
    QString plainCharacter(quint32 nativeKey) override { return keys_.value(nativeKey).character; }

private:
    QHash<quint32, Key> keys_;
};
