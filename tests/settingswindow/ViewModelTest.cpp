// The settings window's pure rules: sidebar rows, backdrops and the General page's texts.

#include <gtest/gtest.h>

#include "settingswindow/GeneralSettingsView.h"
#include "settingswindow/SettingsBackdrop.h"
#include "settingswindow/SettingsSidebarIcon.h"
#include "settingswindow/SettingsSidebarView.h"
#include "support/QtPrinters.h"

TEST(SidebarRows, TitlesFollowTheLanguageOnlyTheSelectedIsMarkedAndTilesDiffer) {
    const struct {
        UiLanguage lang;
        QStringList titles;
    } cases[] = {
        {UiLanguage::en,
         {"General", "Actions", "Styles", "AI Reply", "Quick Menu", "Clipboard", "Layout",
          "Permissions", "Shortcuts", "Updates"}},
        {UiLanguage::ru,
         {"Основные", "Действия", "Стили", "AI Reply", "Быстрое меню", "Буфер", "Раскладка",
          "Разрешения", "Хоткеи", "Обновления"}},
    };
    for (const auto& c : cases) {
        QStringList titles;
        for (const auto& row : sidebarRows(c.lang, SettingsPage::shortcuts)) {
            titles << row.title;
            EXPECT_EQ(row.isSelected, row.page == SettingsPage::shortcuts);
        }
        EXPECT_EQ(titles, c.titles);
    }
    // Layout and Shortcuts share the keyboard symbol on different tiles.
    EXPECT_EQ(symbolName(SettingsPage::layout), "keyboard");
    EXPECT_EQ(symbolName(SettingsPage::shortcuts), "keyboard");
    EXPECT_NE(iconGradient(SettingsPage::layout), iconGradient(SettingsPage::shortcuts));
}

TEST(Backdrop, SystemIsPlainAndGlassModesAreTintedAndDark) {
    const struct {
        AppearanceMode mode;
        SurfaceMode surface;
        double gradientAlpha;  // 0: no gradient
        double tintAlpha;
        QColor divider;
        bool dark;
    } cases[] = {
        {AppearanceMode::system, SurfaceMode::solid, 0, 0, QColor(128, 128, 128, 140), false},
        {AppearanceMode::liquidSky, SurfaceMode::solid, 0.18, 0.045,
         QColor::fromRgbF(1, 1, 1, 0.08f * 0.55f), true},
        {AppearanceMode::liquidNoir, SurfaceMode::translucent, 0.08, 0.025,
         QColor::fromRgbF(1, 1, 1, 0.08f * 0.55f), true},
    };
    for (const auto& c : cases) {
        const SettingsBackdrop b =
            settingsBackdrop(c.mode, c.surface, ColorScheme::light, QColor(128, 128, 128));
        EXPECT_NEAR(b.gradient ? (*b.gradient)[0].alphaF() : 0, c.gradientAlpha, 0.005)
            << rawValue(c.mode).toStdString();
        EXPECT_NEAR(b.sidebarTint.alphaF(), c.tintAlpha, 0.005);
        EXPECT_NEAR(b.divider.alphaF(), c.divider.alphaF(), 0.005);
        EXPECT_EQ(b.divider.rgb(), c.divider.rgb());
        EXPECT_EQ(b.darkPalette, c.dark);
        EXPECT_EQ(b.windowMaterial.alpha(), 255);
    }
}

TEST(GeneralPage, TextsOfBothLanguages) {
    // Labels, toggles, then the first and last appearance and the last menu size.
    const auto texts = [](UiLanguage lang) {
        NiveloSettings s;
        s.uiLanguage = lang;
        const GeneralPageModel m = generalPageModel(s);
        EXPECT_EQ(m.language.options, (QStringList{"English", "Русский"}));
        EXPECT_EQ(m.language.current, lang == UiLanguage::ru ? 1 : 0);
        QStringList t{m.appearance.label, m.language.label, m.menuSize.label};
        for (const auto& toggle : m.toggles) {
            t << toggle.title;
        }
        return t << m.appearance.options.first() << m.appearance.options.last()
                 << m.menuSize.options.last();
    };
    EXPECT_EQ(
        texts(UiLanguage::en),
        (QStringList{"Appearance", "Interface language", "Menu size", "Open main window on launch",
                     "Show menu bar icon", "Keep NiveloAI in menu bar when closing", "System",
                     "Noir Glass", "Extra Large"}));
    EXPECT_EQ(texts(UiLanguage::ru),
              (QStringList{"Внешний вид", "Язык интерфейса", "Размер меню",
                           "Открывать окно при запуске", "Показывать иконку в строке меню",
                           "Оставлять NiveloAI в строке меню при закрытии", "Системный",
                           "Темное стекло", "Очень большой"}));
}

TEST(GeneralPage, PickersShowTheStoredValuesAndMenuSizeIsTheQuickMenusSize) {
    NiveloSettings s;
    s.appearanceMode = AppearanceMode::liquidMint;
    s.quickMenuSize = MenuScale::large;
    s.menuScale = MenuScale::small;
    s.closeToMenuBar = false;
    const GeneralPageModel m = generalPageModel(s);
    EXPECT_EQ(m.appearance.current, 3);
    EXPECT_EQ(m.menuSize.current, 3);
    EXPECT_EQ((QList<bool>{m.toggles[0].on, m.toggles[1].on, m.toggles[2].on}),
              (QList<bool>{true, true, false}));
}
