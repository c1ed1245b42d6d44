#pragma once

#include <QString>

#include "base/EnumCases.h"
#include "core/UiLanguage.h"

// The pages of the settings window, in sidebar order.
enum class SettingsPage {
    general,
    actions,
    styles,
    aiReply,
    quickMenu,
    clipboard,
    layout,
    permissions,
    shortcuts,
    updates
};

QString rawValue(SettingsPage page);
QString title(SettingsPage page, UiLanguage lang);
QString symbolName(SettingsPage page);

template <>
QList<SettingsPage> allCases<SettingsPage>();
