#pragma once

#include <QList>
#include <QMap>

#include "platform/HotKeyRegistry.h"

// A hot-key registry that records what is registered; a test presses keys with press().
class SimulatedHotKeyRegistry : public HotKeyRegistry {
public:
    struct Registration {
        HotKeyId id;
        quint16 keyCode = 0;
        quint32 modifiers = 0;
    };

    int installHandler(PressHandler handler) override;
    void removeHandler() override;
    int registerHotKey(HotKeyId id, quint16 keyCode, quint32 modifiers) override;
    void unregisterHotKey(HotKeyId id) override;

    // What is registered now, in registration order.
    const QList<Registration>& registrations() const { return registrations_; }
    bool hasHandler() const { return static_cast<bool>(handler_); }
    int registerCalls() const { return registerCalls_; }

    // The status the next installHandler returns (0: success).
    int installStatus = 0;
    // Keys (key code, modifier mask) the system refuses, with the status it answers.
    QMap<std::pair<quint16, quint32>, int> refused;

    // Presses the keys: the handler gets the id registered for them. False when nothing is
    // registered for them or no handler is installed.
    bool press(quint16 keyCode, quint32 modifiers);
    // Delivers a press of an id as the system would, registered or not.
    void pressId(HotKeyId id);

private:
    PressHandler handler_;
    QList<Registration> registrations_;
    int registerCalls_ = 0;
};
