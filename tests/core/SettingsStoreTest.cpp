#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "core/AIReplyStyleLibrary.h"
#include "core/NativeSettingsStore.h"
#include "core/NiveloPromptLibrary.h"
#include "core/QuickAction.h"
#include "platform/IniDefaults.h"
#include "platform/MemoryDefaults.h"

namespace {

QByteArray promptStyleJson(const char* id, const char* name, const char* prompt,
                           const char* hotkey) {
    return QByteArray(R"({"id":")") + id + R"(","name":")" + name + R"(","prompt":")" + prompt +
           R"(","hotkey":")" + hotkey + R"(","autoReplace":false})";
}

// The order of the keys of every object in a stored JSON array.
QList<QStringList> keyOrders(const QByteArray& bytes) {
    QList<QStringList> out;
    const auto parsed = json::parse(bytes);
    EXPECT_TRUE(parsed && parsed->is_array());
    if (!parsed) {
        return out;
    }
    for (const auto& object : *parsed) {
        QStringList keys;
        for (const auto& item : object.items()) {
            keys << json::qstr(item.key());
        }
        out << keys;
    }
    return out;
}

// A record that differs from the defaults in every field that load keeps as saved.
NiveloSettings customized() {
    NiveloSettings s;
    s.appearanceMode = AppearanceMode::liquidMint;
    s.surfaceMode = SurfaceMode::solid;
    s.menuScale = MenuScale::large;
    s.targetLanguage = "Chinese (Traditional)";
    s.translatePreviewTargetLanguage = "Russian";
    s.uiLanguage = UiLanguage::ru;
    s.selectedStyleId = "custom-abcdefgh";
    s.promptStyles = NiveloPromptLibrary::mergeSavedStyles(
        {PromptStyle{"custom-abcdefgh", "Пират", "Talk like a pirate.", "Control+Alt+P", false},
         PromptStyle{"short", "Tiny", "Make it \"tiny\".\n\nReally.", "Not assigned", false}});
    s.aiReplyStyles = AIReplyStyleLibrary::restoredStyles(
        {AIReplyStyle{"custom-reply-12345678", "Yes", "Agree.", "Command+Alt+Y"}});
    s.quickMenuHotkey = "Command+Shift+Q";
    s.assistantHotkey = "Not assigned";
    s.clipboardHotkey = "Control+V";
    s.layoutHotkey = "Alt+L";
    s.translatePreviewHotkey = "Alt+Shift+R";
    s.layoutLatinSource = "U.S.";
    s.layoutNativeSource = "Russian";
    s.layoutAutoSwitch = false;
    s.appLayoutSwitchingEnabled = true;
    s.appLayoutRules = {AppLayoutRule{QUuid::createUuid(), "org.xfce.mousepad", "Mousepad",
                                      "/usr/bin/mousepad", "Russian", false}};
    s.quickMenuSize = MenuScale::xlarge;
    s.quickMenuOpenMode = QuickMenuOpenMode::button;
    s.quickMenuActions = {"style:emoji", "ai", "custom-x"};
    s.quickMenuOrder = {"layout", "style:emoji", "layout"};
    s.clipboardHistoryEnabled = false;
    s.clipboardLimit = 7;
    s.clipboardDays = "30";
    s.openMainWindowOnLaunch = false;
    s.menuBarIconVisible = false;
    s.closeToMenuBar = false;
    s.autoSelectAllBeforeAction = false;
    s.aiContextEnabled = true;
    s.updateNotificationsEnabled = false;
    s.automaticUpdateChecksEnabled = false;
    return s;
}

class SettingsStore : public ::testing::Test {
protected:
    NiveloSettings load() { return NativeSettingsStore(defaults).load(); }
    void save(const NiveloSettings& s) { NativeSettingsStore(defaults).save(s); }

    MemoryDefaults defaults;
};

}  // namespace

TEST_F(SettingsStore, FreshInstallationLoadsTheDefaults) {
    const NiveloSettings loaded = load();
    EXPECT_EQ(loaded, NiveloSettings());
    EXPECT_EQ(loaded.promptStyles, NiveloPromptLibrary::defaultStyles());
    EXPECT_EQ(loaded.aiReplyStyles, AIReplyStyleLibrary::defaultStyles());
    EXPECT_EQ(loaded.quickMenuActions, QuickAction::defaultIds());
    EXPECT_EQ(loaded.quickMenuOrder, QuickAction::defaultIds());
    EXPECT_TRUE(loaded.appLayoutRules.isEmpty());
    EXPECT_EQ(loaded.layoutNativeSource, QString::fromUtf8("Русская — ПК"));
    EXPECT_EQ(loaded.clipboardLimit, 100);
}

TEST_F(SettingsStore, SaveThenLoadGivesTheSameRecord) {
    const NiveloSettings s = customized();
    save(s);
    EXPECT_EQ(load(), s);
    // A second save of the loaded record changes nothing.
    const QStringList keys = defaults.keys();
    QVariantList before;
    for (const auto& k : keys) {
        before << defaults.object(k);
    }
    save(load());
    for (int i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(defaults.object(keys[i]), before[i]) << keys[i].toStdString();
    }
}

TEST(SettingsStoreFile, RoundTripThroughAnIniFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.ini");
    const NiveloSettings s = customized();
    {
        IniDefaults d(path);
        NativeSettingsStore(d).save(s);
    }
    IniDefaults reopened(path);
    EXPECT_EQ(NativeSettingsStore(reopened).load(), s);
}

TEST_F(SettingsStore, SaveWritesEveryKeyWithListsAsData) {
    save(NiveloSettings());
    EXPECT_EQ(defaults.keys().size(), 35);
    for (const char* key :
         {"nivelo.promptStyles", "nivelo.aiReplyStyles", "nivelo.appLayoutSwitching.rules",
          "nivelo.quickMenu.actions", "nivelo.quickMenu.order"}) {
        EXPECT_TRUE(defaults.dataValue(key).has_value()) << key;
    }
    EXPECT_EQ(defaults.object("nivelo.theme"), QVariant(QString("system")));
    EXPECT_EQ(defaults.object("nivelo.clipboardLimit").toLongLong(), 100);
    EXPECT_EQ(defaults.object("nivelo.layoutAutoSwitch"), QVariant(true));
    EXPECT_EQ(*defaults.dataValue("nivelo.appLayoutSwitching.rules"), QByteArray("[]"));
}

TEST_F(SettingsStore, StoredObjectsKeepTheirKeyOrderAndCompactForm) {
    save(customized());
    const QByteArray prompts = *defaults.dataValue("nivelo.promptStyles");
    EXPECT_TRUE(prompts.startsWith(R"([{"id":"original","name":"Fix","prompt":)"));
    EXPECT_FALSE(prompts.contains(": "));
    for (const auto& keys : keyOrders(prompts)) {
        EXPECT_EQ(keys, (QStringList{"id", "name", "prompt", "hotkey", "autoReplace"}));
    }
    for (const auto& keys : keyOrders(*defaults.dataValue("nivelo.aiReplyStyles"))) {
        EXPECT_EQ(keys, (QStringList{"id", "name", "prompt", "hotkey"}));
    }
    const auto ruleKeys = keyOrders(*defaults.dataValue("nivelo.appLayoutSwitching.rules"));
    ASSERT_EQ(ruleKeys.size(), 1);
    EXPECT_EQ(ruleKeys[0], (QStringList{"id", "bundleIdentifier", "appName", "appPath",
                                        "layoutName", "isEnabled"}));
    EXPECT_EQ(*defaults.dataValue("nivelo.quickMenu.actions"),
              QByteArray(R"(["style:emoji","ai","custom-x"])"));
}

TEST_F(SettingsStore, RuleIdIsStoredAsPlainUuidText) {
    NiveloSettings s;
    const QUuid id("{0f8fad5b-d9cb-469f-a165-70867728950e}");
    s.appLayoutRules = {AppLayoutRule{id, "b", "n", "/p", "l", true}};
    save(s);
    const auto parsed = json::parse(*defaults.dataValue("nivelo.appLayoutSwitching.rules"));
    EXPECT_EQ(json::qstr((*parsed)[0]["id"].get<std::string>()),
              "0F8FAD5B-D9CB-469F-A165-70867728950E");
    EXPECT_EQ(load().appLayoutRules.value(0).id, id);
}

TEST_F(SettingsStore, EmptyOrMissingTextTakesTheDefault) {
    defaults.setString("nivelo.quickMenuHotkey", "");
    defaults.setString("nivelo.clipboardDays", "");
    defaults.setString("nivelo.selectedStyleId", "custom-zzzzzzzz");
    defaults.setString("nivelo.assistantHotkey", "Not assigned");
    const NiveloSettings s = load();
    EXPECT_EQ(s.quickMenuHotkey, "Alt+Q");
    EXPECT_EQ(s.clipboardDays, "forever");
    // Taken as stored, even an id that names no style.
    EXPECT_EQ(s.selectedStyleId, "custom-zzzzzzzz");
    EXPECT_EQ(s.assistantHotkey, "Not assigned");
}

TEST_F(SettingsStore, TargetLanguagesMustBeListedNamesExactly) {
    defaults.setString("nivelo.targetLanguage", "english");
    defaults.setString("nivelo.translationPreviewTargetLanguage", "Klingon");
    EXPECT_EQ(load().targetLanguage, "English");
    EXPECT_EQ(load().translatePreviewTargetLanguage, "English");
    defaults.setString("nivelo.translationPreviewTargetLanguage", "Haitian Creole");
    EXPECT_EQ(load().translatePreviewTargetLanguage, "Haitian Creole");
}

TEST_F(SettingsStore, OnlyTheExactAutoLayoutSourceIsReplaced) {
    defaults.setString("nivelo.layoutLatinSource", "Auto");
    defaults.setString("nivelo.layoutNativeSource", "Auto");
    EXPECT_EQ(load().layoutLatinSource, "ABC");
    EXPECT_EQ(load().layoutNativeSource, QString::fromUtf8("Русская — ПК"));
    defaults.setString("nivelo.layoutLatinSource", "auto");
    EXPECT_EQ(load().layoutLatinSource, "auto");
}

TEST_F(SettingsStore, EnumerationsFallBackOnUnknownText) {
    defaults.setString("nivelo.theme", "liquid-gold");
    defaults.setString("nivelo.surfaceMode", "Solid");
    defaults.setString("nivelo.menuScale", "huge");
    defaults.setString("nivelo.uiLanguage", "RU");
    defaults.setString("nivelo.quickMenu.size", "");
    defaults.setString("nivelo.quickMenu.openMode", "buttons");
    EXPECT_EQ(load(), NiveloSettings());

    defaults.setString("nivelo.theme", "liquid-rose");
    defaults.setString("nivelo.surfaceMode", "solid");
    defaults.setString("nivelo.menuScale", "small");
    defaults.setString("nivelo.uiLanguage", "ru");
    defaults.setString("nivelo.quickMenu.size", "medium");
    defaults.setString("nivelo.quickMenu.openMode", "button");
    const NiveloSettings s = load();
    EXPECT_EQ(s.appearanceMode, AppearanceMode::liquidRose);
    EXPECT_EQ(s.surfaceMode, SurfaceMode::solid);
    EXPECT_EQ(s.menuScale, MenuScale::small);
    EXPECT_EQ(s.uiLanguage, UiLanguage::ru);
    EXPECT_EQ(s.quickMenuSize, MenuScale::medium);
    EXPECT_EQ(s.quickMenuOpenMode, QuickMenuOpenMode::button);
}

TEST_F(SettingsStore, ClipboardLimitIsClampedOnlyWhenStored) {
    defaults.setInteger("nivelo.clipboardLimit", 0);
    EXPECT_EQ(load().clipboardLimit, 1);
    defaults.setInteger("nivelo.clipboardLimit", 5000);
    EXPECT_EQ(load().clipboardLimit, 1000);
    defaults.setString("nivelo.clipboardLimit", "250");
    EXPECT_EQ(load().clipboardLimit, 250);
    defaults.remove("nivelo.clipboardLimit");
    EXPECT_EQ(load().clipboardLimit, 100);
    // Saved unclamped; clamped again by the next load.
    NiveloSettings s;
    s.clipboardLimit = 4000;
    save(s);
    EXPECT_EQ(defaults.integerValue("nivelo.clipboardLimit"), 4000);
    EXPECT_EQ(load().clipboardLimit, 1000);
}

TEST_F(SettingsStore, StoredFlagsOverrideTheirDefaultsEitherWay) {
    defaults.setBool("nivelo.layoutAutoSwitch", false);
    defaults.setBool("nivelo.aiContextEnabled", true);
    defaults.setString("nivelo.closeToMenuBar", "0");
    const NiveloSettings s = load();
    EXPECT_FALSE(s.layoutAutoSwitch);
    EXPECT_TRUE(s.aiContextEnabled);
    EXPECT_FALSE(s.closeToMenuBar);
    EXPECT_TRUE(s.menuBarIconVisible);
}

TEST_F(SettingsStore, SelectionTriggerSwitchesAlwaysLoadAndSaveAsOff) {
    defaults.setBool("nivelo.autoQuickMenuEnabled", true);
    defaults.setBool("nivelo.quickMenu.floatingButtonVisible", true);
    NiveloSettings s = load();
    EXPECT_FALSE(s.autoQuickMenuEnabled);
    EXPECT_FALSE(s.floatingButtonVisible);
    s.autoQuickMenuEnabled = true;
    s.floatingButtonVisible = true;
    save(s);
    EXPECT_EQ(defaults.object("nivelo.autoQuickMenuEnabled"), QVariant(false));
    EXPECT_EQ(defaults.object("nivelo.quickMenu.floatingButtonVisible"), QVariant(false));
}

TEST_F(SettingsStore, QuickMenuListsAreNormalizedAndGetTheEmojiRowBack) {
    defaults.setData("nivelo.quickMenu.actions", R"([" ai","fix","polite","polite"])");
    defaults.setData("nivelo.quickMenu.order", R"(["layout","clipboard"])");
    NiveloSettings s = load();
    EXPECT_EQ(s.quickMenuActions,
              (QStringList{"ai", "style:original", "style:emoji", "style:polite", "style:polite"}));
    EXPECT_EQ(s.quickMenuOrder, (QStringList{"layout", "clipboard", "style:emoji"}));

    // Present already (in any stored form): nothing is added.
    defaults.setData("nivelo.quickMenu.actions", R"(["emoji","polite"])");
    EXPECT_EQ(load().quickMenuActions, (QStringList{"style:emoji", "style:polite"}));
}

TEST_F(SettingsStore, QuickMenuListsInTheOlderTextFormAreReadAndRewrittenAsData) {
    defaults.setString("nivelo.quickMenu.actions", R"(["ai","fix","polite"])");
    const NiveloSettings s = load();
    EXPECT_EQ(s.quickMenuActions,
              (QStringList{"ai", "style:original", "style:emoji", "style:polite"}));
    save(s);
    EXPECT_EQ(*defaults.dataValue("nivelo.quickMenu.actions"),
              QByteArray(R"(["ai","style:original","style:emoji","style:polite"])"));
}

TEST_F(SettingsStore, UnusableQuickMenuListsTakeTheDefault) {
    for (const QByteArray& bad : {QByteArray("[]"), QByteArray("not json"),
                                  QByteArray(R"(["ai",3])"), QByteArray(R"({"a":"b"})")}) {
        defaults.setData("nivelo.quickMenu.order", bad);
        EXPECT_EQ(load().quickMenuOrder, QuickAction::defaultIds()) << bad.toStdString();
        defaults.setString("nivelo.quickMenu.order", QString::fromUtf8(bad));
        EXPECT_EQ(load().quickMenuOrder, QuickAction::defaultIds()) << bad.toStdString();
    }
}

TEST_F(SettingsStore, SavedPromptStylesAreMergedInEitherStoredForm) {
    const QByteArray list = "[" + promptStyleJson("custom-1", "Mine", "p", "Alt+M") + "," +
                            promptStyleJson("original", "", "Fix obvious typos.", "Alt+0") + "]";
    for (bool asText : {false, true}) {
        if (asText) {
            defaults.setString("nivelo.promptStyles", QString::fromUtf8(list));
        } else {
            defaults.setData("nivelo.promptStyles", list);
        }
        const auto styles = load().promptStyles;
        ASSERT_EQ(styles.size(), 18);
        EXPECT_EQ(styles[0].prompt, NiveloPromptLibrary::defaultStyles()[0].prompt);
        EXPECT_EQ(styles[0].hotkey, "Alt+0");
        EXPECT_FALSE(styles[0].autoReplace);
        EXPECT_EQ(styles[17].id, "custom-1");
    }
}

TEST_F(SettingsStore, OneBadPromptStyleDiscardsTheWholeList) {
    const QByteArray good = promptStyleJson("custom-1", "Mine", "p", "Alt+M");
    QByteArray lacking = promptStyleJson("custom-2", "Other", "q", "Alt+N");
    lacking.replace(R"(,"autoReplace":false)", "");
    defaults.setData("nivelo.promptStyles", "[" + good + "," + lacking + "]");
    EXPECT_EQ(load().promptStyles, NiveloPromptLibrary::defaultStyles());
    // A flag written as a number is the wrong type, too.
    QByteArray numeric = good;
    numeric.replace("false", "0");
    defaults.setData("nivelo.promptStyles", "[" + numeric + "]");
    EXPECT_EQ(load().promptStyles, NiveloPromptLibrary::defaultStyles());
    defaults.setData("nivelo.promptStyles", "[]");
    EXPECT_EQ(load().promptStyles, NiveloPromptLibrary::defaultStyles());
}

TEST_F(SettingsStore, ReplyStylesAreRestoredInEitherFormAndFallBackWhole) {
    const QByteArray one =
        R"([{"id":"polite","name":"Nice","prompt":"","hotkey":"Alt+9"},)"
        R"({"id":"custom-reply-1","name":"C","prompt":"c","hotkey":"Not assigned"}])";
    defaults.setString("nivelo.aiReplyStyles", QString::fromUtf8(one));
    auto styles = load().aiReplyStyles;
    ASSERT_EQ(styles.size(), 18);
    EXPECT_EQ(styles[3].name, "Nice");
    EXPECT_EQ(styles[3].prompt, AIReplyStyleLibrary::defaultStyles()[3].prompt);

    QByteArray broken = one;
    broken.replace(R"("hotkey":"Alt+9")", R"("hotkey":null)");
    defaults.setData("nivelo.aiReplyStyles", broken);
    EXPECT_EQ(load().aiReplyStyles, AIReplyStyleLibrary::defaultStyles());
}

TEST_F(SettingsStore, LayoutRulesAreReadFromDataOnlyAndAllOrNothing) {
    NiveloSettings s;
    s.appLayoutRules = {AppLayoutRule{QUuid::createUuid(), "a", "A", "/a", "ABC", true},
                        AppLayoutRule{QUuid::createUuid(), "b", "B", "/b", "Russian", false}};
    save(s);
    const QByteArray stored = *defaults.dataValue("nivelo.appLayoutSwitching.rules");
    EXPECT_EQ(load().appLayoutRules, s.appLayoutRules);

    defaults.setString("nivelo.appLayoutSwitching.rules", QString::fromUtf8(stored));
    EXPECT_TRUE(load().appLayoutRules.isEmpty());

    QByteArray badId = stored;
    badId.replace(R"("id":")", R"("id":"x)");
    defaults.setData("nivelo.appLayoutSwitching.rules", badId);
    EXPECT_TRUE(load().appLayoutRules.isEmpty());
}
