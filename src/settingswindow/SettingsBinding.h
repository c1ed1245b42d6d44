#pragma once

#include "core/NiveloSettings.h"
#include "state/NiveloAppState.h"

// The two-way binding every page uses over one member of the settings record: reading takes
// the current record; writing is one assignment of the whole current record with that member
// changed, which is what saves.
template <typename T>
class SettingsBinding {
public:
    SettingsBinding(NiveloAppState& state, T NiveloSettings::*member)
        : state_(state), member_(member) {}

    T value() const { return state_.settings().*member_; }
    void set(const T& value) const {
        const auto member = member_;
        state_.editSettings([&](NiveloSettings& s) { s.*member = value; });
    }

private:
    NiveloAppState& state_;
    T NiveloSettings::*member_;
};

template <typename T>
SettingsBinding<T> binding(NiveloAppState& state, T NiveloSettings::*member) {
    return SettingsBinding<T>(state, member);
}
