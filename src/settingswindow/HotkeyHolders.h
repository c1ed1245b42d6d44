#pragma once

#include <QList>
#include <QString>
#include <optional>

#include "capture/HotkeyService.h"
#include "core/NiveloSettings.h"
#include "core/UiLanguage.h"

class NiveloAppState;

// One of the five hot keys of the settings themselves, with the title and subtitle the
// Shortcuts page shows for it.
struct SettingsHotkey {
    HotkeyService::Action::Kind kind;
    const char16_t* english;
    const char16_t* russian;
    const char16_t* englishSubtitle;
    const char16_t* russianSubtitle;
    QString NiveloSettings::*member;
};
// Quick menu, assistant, clipboard, translation preview, layout fix.
const QList<SettingsHotkey>& settingsHotkeys();

// The name of a command other than `command` whose hot key means the same keys as `hotkey`
// (the one registration gives them to); none when no other command holds them.
std::optional<QString> otherHolder(const NiveloAppState& state, const QString& hotkey,
                                   const HotkeyService::Action& command);

// What the recorder says when it refuses keys another command holds.
QString takenText(UiLanguage lang, const QString& holder);
