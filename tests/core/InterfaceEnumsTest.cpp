#include <gtest/gtest.h>

#include <QSet>

#include "core/AppearanceMode.h"
#include "core/MenuScale.h"
#include "core/QuickMenuOpenMode.h"
#include "core/SettingsPage.h"
#include "core/SurfaceMode.h"
#include "core/UiLanguage.h"

namespace {

// Every case has a distinct raw text that constructs that case again, and only that text.
template <typename E>
void expectRawRoundTrip(int count) {
    const QList<E> cases = allCases<E>();
    ASSERT_EQ(cases.size(), count);
    QSet<QString> raws;
    for (const E value : cases) {
        raws.insert(rawValue(value));
        EXPECT_EQ(fromRawValue<E>(rawValue(value)), value) << rawValue(value).toStdString();
        EXPECT_FALSE(fromRawValue<E>(rawValue(value).toUpper() + " ").has_value());
        EXPECT_FALSE(fromRawValue<E>("").has_value());
    }
    EXPECT_EQ(raws.size(), count);
}

}  // namespace

TEST(InterfaceEnums, RawTextsRoundTripExactly) {
    expectRawRoundTrip<SettingsPage>(10);
    expectRawRoundTrip<AppearanceMode>(6);
    expectRawRoundTrip<SurfaceMode>(2);
    expectRawRoundTrip<MenuScale>(5);
    expectRawRoundTrip<UiLanguage>(2);
    expectRawRoundTrip<QuickMenuOpenMode>(2);
    // Settings pages are stored by their case names.
    EXPECT_EQ(fromRawValue<SettingsPage>("aiReply"), SettingsPage::aiReply);
    EXPECT_EQ(allCases<SettingsPage>()[3], SettingsPage::aiReply);
}

TEST(InterfaceEnums, TitlesFollowTheInterfaceLanguage) {
    EXPECT_EQ(tr2(UiLanguage::ru, "Yes", "Да"), "Да");
    EXPECT_EQ(title(SettingsPage::aiReply, UiLanguage::ru), "AI Reply");
    EXPECT_EQ(title(SettingsPage::shortcuts, UiLanguage::ru), "Хоткеи");
    EXPECT_EQ(localizedTitle(AppearanceMode::liquidNoir, UiLanguage::ru), "Темное стекло");
    EXPECT_EQ(localizedTitle(MenuScale::xlarge, UiLanguage::en), "Extra Large");
}
