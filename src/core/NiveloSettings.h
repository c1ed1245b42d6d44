#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "core/AIReplyStyle.h"
#include "core/AppLayoutRule.h"
#include "core/AppearanceMode.h"
#include "core/MenuScale.h"
#include "core/PromptStyle.h"
#include "core/QuickMenuOpenMode.h"
#include "core/SurfaceMode.h"
#include "core/UiLanguage.h"

// The one persisted record of user preferences. A default-constructed record holds the
// defaults a fresh installation loads.
struct NiveloSettings {
    NiveloSettings();

    AppearanceMode appearanceMode = AppearanceMode::system;
    SurfaceMode surfaceMode = SurfaceMode::translucent;
    MenuScale menuScale = MenuScale::tiny;
    QString targetLanguage = QStringLiteral("English");
    QString translatePreviewTargetLanguage = QStringLiteral("English");
    UiLanguage uiLanguage = UiLanguage::en;
    QString selectedStyleId = QStringLiteral("original");
    QList<PromptStyle> promptStyles;
    QList<AIReplyStyle> aiReplyStyles;
    QString quickMenuHotkey = QStringLiteral("Alt+Q");
    QString assistantHotkey = QStringLiteral("Alt+I");
    QString clipboardHotkey = QStringLiteral("Alt+V");
    QString layoutHotkey = QStringLiteral("Alt+A");
    QString translatePreviewHotkey = QStringLiteral("Alt+R");
    QString layoutLatinSource = QStringLiteral("ABC");
    QString layoutNativeSource = QStringLiteral("Русская — ПК");
    bool layoutAutoSwitch = true;
    bool appLayoutSwitchingEnabled = false;
    QList<AppLayoutRule> appLayoutRules;
    bool autoQuickMenuEnabled = false;
    bool floatingButtonVisible = false;
    MenuScale quickMenuSize = MenuScale::tiny;
    QuickMenuOpenMode quickMenuOpenMode = QuickMenuOpenMode::input;
    QStringList quickMenuActions;
    QStringList quickMenuOrder;
    bool clipboardHistoryEnabled = true;
    int clipboardLimit = 100;
    QString clipboardDays = QStringLiteral("forever");
    bool openMainWindowOnLaunch = true;
    bool menuBarIconVisible = true;
    bool closeToMenuBar = true;
    bool autoSelectAllBeforeAction = true;
    bool aiContextEnabled = false;
    bool updateNotificationsEnabled = true;
    bool automaticUpdateChecksEnabled = true;

    bool operator==(const NiveloSettings&) const = default;
};
