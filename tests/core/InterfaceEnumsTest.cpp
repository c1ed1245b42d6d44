#include <gtest/gtest.h>

#include <QSet>

#include "core/AppearanceMode.h"
#include "core/MenuScale.h"
#include "core/QuickMenuOpenMode.h"
#include "core/SettingsPage.h"
#include "core/SurfaceMode.h"
#include "core/UiLanguage.h"

namespace {

// Every case has a distinct raw text that constructs that case again.
template <typename E>
void expectRawRoundTrip(int count) {
    const QList<E> cases = allCases<E>();
    ASSERT_EQ(cases.size(), count);
    QSet<QString> raws;
    for (const E value : cases) {
        raws.insert(rawValue(value));
        EXPECT_EQ(fromRawValue<E>(rawValue(value)), value) << rawValue(value).toStdString();
    }
    EXPECT_EQ(raws.size(), count);
    EXPECT_FALSE(fromRawValue<E>("").has_value());
}

}  // namespace

TEST(InterfaceEnums, RawTextsRoundTripInDeclarationOrder) {
    expectRawRoundTrip<SettingsPage>(10);
    expectRawRoundTrip<AppearanceMode>(6);
    expectRawRoundTrip<SurfaceMode>(2);
    expectRawRoundTrip<MenuScale>(5);
    expectRawRoundTrip<UiLanguage>(2);
    expectRawRoundTrip<QuickMenuOpenMode>(2);
    const auto pages = allCases<SettingsPage>();
    EXPECT_EQ(pages.first(), SettingsPage::general);
    EXPECT_EQ(pages[3], SettingsPage::aiReply);
    EXPECT_EQ(pages.last(), SettingsPage::updates);
    EXPECT_EQ(allCases<MenuScale>().last(), MenuScale::xlarge);
}

TEST(InterfaceEnums, ConstructionFromRawTextIsExact) {
    EXPECT_FALSE(fromRawValue<AppearanceMode>("Liquid-Sky").has_value());
    EXPECT_FALSE(fromRawValue<AppearanceMode>("liquidSky").has_value());
    EXPECT_FALSE(fromRawValue<MenuScale>("xlarge ").has_value());
    EXPECT_FALSE(fromRawValue<UiLanguage>("RU").has_value());
    // Settings pages are stored by their case names.
    EXPECT_EQ(fromRawValue<SettingsPage>("aiReply"), SettingsPage::aiReply);
    EXPECT_EQ(fromRawValue<SettingsPage>("quickMenu"), SettingsPage::quickMenu);
}

TEST(InterfaceEnums, TitlesFollowTheInterfaceLanguage) {
    EXPECT_EQ(tr2(UiLanguage::ru, "Yes", "Да"), "Да");
    EXPECT_EQ(tr2(UiLanguage::en, "Yes", "Да"), "Yes");
    EXPECT_EQ(title(SettingsPage::aiReply, UiLanguage::en), "AI Reply");
    EXPECT_EQ(title(SettingsPage::aiReply, UiLanguage::ru), "AI Reply");
    EXPECT_EQ(title(SettingsPage::shortcuts, UiLanguage::ru), "Хоткеи");
    EXPECT_EQ(symbolName(SettingsPage::shortcuts), symbolName(SettingsPage::layout));
    EXPECT_EQ(localizedTitle(AppearanceMode::liquidNoir, UiLanguage::en), "Noir Glass");
    EXPECT_EQ(localizedTitle(AppearanceMode::liquidNoir, UiLanguage::ru), "Темное стекло");
    EXPECT_EQ(localizedTitle(MenuScale::xlarge, UiLanguage::en), "Extra Large");
    // Every other title differs between the two languages.
    for (const auto page : allCases<SettingsPage>()) {
        if (page != SettingsPage::aiReply) {
            EXPECT_NE(title(page, UiLanguage::en), title(page, UiLanguage::ru));
        }
    }
    for (const auto scale : allCases<MenuScale>()) {
        EXPECT_NE(localizedTitle(scale, UiLanguage::en), localizedTitle(scale, UiLanguage::ru));
    }
}
