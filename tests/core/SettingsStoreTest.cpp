#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "core/AIReplyStyleLibrary.h"
#include "core/NativeSettingsStore.h"
#include "core/NiveloPromptLibrary.h"
#include "core/QuickAction.h"
#include "platform/IniDefaults.h"
#include "platform/MemoryDefaults.h"

namespace {

QVariant data(const char* json) {
    return QVariant(QByteArray(json));
}

const char* const kRuleJson =
    R"({"id":"0F8FAD5B-D9CB-469F-A165-70867728950E","bundleIdentifier":"org.xfce.mousepad",)"
    R"("appName":"Mousepad","appPath":"/usr/bin/mousepad","layoutName":"Russian","isEnabled":false})";

// Every key in the form save writes it, each value but the always-off selection trigger
// switches unlike the default. The style lists hold the saved entries only: load merges them
// with the built-ins.
const QList<QPair<QString, QVariant>>& customStore() {
    static const QList<QPair<QString, QVariant>> values = {
        {"nivelo.theme", "liquid-mint"},
        {"nivelo.surfaceMode", "solid"},
        {"nivelo.menuScale", "large"},
        {"nivelo.targetLanguage", "Chinese (Traditional)"},
        {"nivelo.translationPreviewTargetLanguage", "Russian"},
        {"nivelo.uiLanguage", "ru"},
        {"nivelo.selectedStyleId", "custom-abcdefgh"},
        {"nivelo.promptStyles",
         data(
             R"([{"id":"custom-abcdefgh","name":"Пират","prompt":"Talk like a pirate.",)"
             R"("hotkey":"Control+Alt+P","autoReplace":false},{"id":"short","name":"Tiny",)"
             R"("prompt":"Make it \"tiny\".\n\nReally.","hotkey":"Not assigned","autoReplace":false}])")},
        {"nivelo.aiReplyStyles",
         data(R"([{"id":"custom-reply-12345678","name":"Yes","prompt":"Agree.",)"
              R"("hotkey":"Command+Alt+Y"}])")},
        {"nivelo.quickMenuHotkey", "Command+Shift+Q"},
        {"nivelo.assistantHotkey", "Not assigned"},
        {"nivelo.clipboardHotkey", "Control+V"},
        {"nivelo.layoutHotkey", "Alt+L"},
        {"nivelo.translatePreviewHotkey", "Alt+Shift+R"},
        {"nivelo.layoutLatinSource", "U.S."},
        {"nivelo.layoutNativeSource", "Russian"},
        {"nivelo.layoutAutoSwitch", false},
        {"nivelo.appLayoutSwitching.enabled", true},
        {"nivelo.appLayoutSwitching.rules",
         QByteArray("[") + kRuleJson +
             R"(,{"id":"1B4E28BA-2FA1-11D2-883F-0016D3CCA427","bundleIdentifier":"b",)"
             R"("appName":"B","appPath":"/b","layoutName":"ABC","isEnabled":true}])"},
        {"nivelo.autoQuickMenuEnabled", false},
        {"nivelo.quickMenu.floatingButtonVisible", false},
        {"nivelo.quickMenu.size", "xlarge"},
        {"nivelo.quickMenu.openMode", "button"},
        {"nivelo.quickMenu.actions", data(R"(["style:emoji","ai","custom-x"])")},
        {"nivelo.quickMenu.order", data(R"(["layout","style:emoji","layout"])")},
        {"nivelo.clipboardHistory.enabled", false},
        {"nivelo.clipboardLimit", qint64(7)},
        {"nivelo.clipboardDays", "30"},
        {"nivelo.openMainWindowOnLaunch", false},
        {"nivelo.menuBarIconVisible", false},
        {"nivelo.closeToMenuBar", false},
        {"nivelo.autoSelectAllBeforeAction", false},
        {"nivelo.aiContextEnabled", true},
        {"nivelo.updates.notificationsEnabled", false},
        {"nivelo.updates.automaticChecksEnabled", false},
    };
    return values;
}

// A value stored under a key, and the value the loaded record holds for it, as saving the
// record writes it (none: what the defaults write).
struct Rule {
    QString key;
    QVariant stored;
    QVariant loaded = {};
};

class SettingsStore : public ::testing::Test {
protected:
    NiveloSettings load() { return NativeSettingsStore(defaults).load(); }
    void save(const NiveloSettings& s) { NativeSettingsStore(defaults).save(s); }

    // Each value stored alone: the record loaded from it differs from the defaults in its
    // key's value only.
    static void expectLoads(std::initializer_list<Rule> rules) {
        MemoryDefaults fresh;
        NativeSettingsStore(fresh).save(NiveloSettings());
        for (const Rule& r : rules) {
            SCOPED_TRACE(r.key.toStdString() + " = " + r.stored.toString().toStdString());
            MemoryDefaults stored, resaved;
            stored.set(r.key, r.stored);
            NativeSettingsStore(resaved).save(NativeSettingsStore(stored).load());
            for (const QString& k : fresh.keys()) {
                const bool changed = k == r.key && r.loaded.isValid();
                EXPECT_EQ(resaved.object(k), changed ? r.loaded : fresh.object(k))
                    << k.toStdString();
            }
        }
    }

    MemoryDefaults defaults;
};

}  // namespace

TEST_F(SettingsStore, FreshInstallationLoadsTheDefaults) {
    const NiveloSettings loaded = load();
    EXPECT_EQ(loaded, NiveloSettings());
    EXPECT_EQ(loaded.quickMenuActions, QuickAction::defaultIds());
    EXPECT_EQ(loaded.quickMenuOrder, QuickAction::defaultIds());
    save(loaded);
    EXPECT_EQ(defaults.dataValue("nivelo.appLayoutSwitching.rules"), QByteArray("[]"));
}

// Saving the loaded record writes back every stored value in the same form (compact JSON with
// its keys in their fixed order, rule ids as plain upper-case UUID text) and no other key;
// loading again, also through a file that reads everything back as text, gives the same record.
TEST_F(SettingsStore, LoadSaveLoadKeepsEveryStoredValue) {
    for (const auto& [key, value] : customStore()) {
        defaults.set(key, value);
    }
    const NiveloSettings loaded = load();
    defaults = MemoryDefaults();
    save(loaded);
    EXPECT_EQ(defaults.keys().size(), customStore().size());
    for (const auto& [key, value] : customStore()) {
        if (!key.endsWith("Styles")) {
            EXPECT_EQ(defaults.object(key), value) << key.toStdString();
        }
    }
    const QByteArray prompts = defaults.dataValue("nivelo.promptStyles").value();
    EXPECT_TRUE(prompts.startsWith(R"([{"id":"original","name":"Fix","prompt":)"));
    EXPECT_TRUE(prompts.endsWith(R"(,{"id":"custom-abcdefgh","name":"Пират","prompt":)"
                                 R"("Talk like a pirate.","hotkey":"Control+Alt+P",)"
                                 R"("autoReplace":false}])"));
    EXPECT_TRUE(defaults.dataValue("nivelo.aiReplyStyles")
                    .value()
                    .endsWith(R"(,{"id":"custom-reply-12345678","name":"Yes","prompt":"Agree.",)"
                              R"("hotkey":"Command+Alt+Y"}])"));
    EXPECT_EQ(load(), loaded);
    QTemporaryDir dir;
    {
        IniDefaults file(dir.filePath("defaults.ini"));
        NativeSettingsStore(file).save(loaded);
    }
    IniDefaults reopened(dir.filePath("defaults.ini"));
    EXPECT_EQ(NativeSettingsStore(reopened).load(), loaded);
}

TEST_F(SettingsStore, EmptyOrUnlistedTextTakesTheDefault) {
    expectLoads({
        {"nivelo.quickMenuHotkey", "", "Alt+Q"},
        {"nivelo.clipboardDays", "", "forever"},
        // Taken as stored, even an id that names no style.
        {"nivelo.selectedStyleId", "custom-zzzzzzzz", "custom-zzzzzzzz"},
        // Target languages must be listed names exactly.
        {"nivelo.targetLanguage", "english", "English"},
        {"nivelo.translationPreviewTargetLanguage", "Klingon", "English"},
        // Only the exact "Auto" layout source is replaced.
        {"nivelo.layoutLatinSource", "Auto", "ABC"},
        {"nivelo.layoutNativeSource", "Auto", "Русская — ПК"},
        {"nivelo.layoutLatinSource", "auto", "auto"},
    });
}

TEST_F(SettingsStore, EnumerationsFallBackOnUnknownText) {
    expectLoads({
        {"nivelo.theme", "liquid-gold", "system"},
        {"nivelo.surfaceMode", "Solid", "translucent"},
        {"nivelo.menuScale", "huge", "tiny"},
        {"nivelo.uiLanguage", "RU", "en"},
        {"nivelo.quickMenu.size", "", "tiny"},
        {"nivelo.quickMenu.openMode", "buttons", "input"},
    });
}

TEST_F(SettingsStore, NumbersAndFlagsAreReadFromTextAndTheLimitIsClamped) {
    expectLoads({
        // The clipboard limit is clamped when stored.
        {"nivelo.clipboardLimit", qint64(0), qint64(1)},
        {"nivelo.clipboardLimit", qint64(5000), qint64(1000)},
        {"nivelo.clipboardLimit", "250", qint64(250)},
        {"nivelo.closeToMenuBar", "0", false},
    });
    // Saved unclamped; clamped again by the next load.
    NiveloSettings s;
    s.clipboardLimit = 4000;
    save(s);
    EXPECT_EQ(defaults.integerValue("nivelo.clipboardLimit"), 4000);
    EXPECT_EQ(load().clipboardLimit, 1000);
}

TEST_F(SettingsStore, SelectionTriggerSwitchesAlwaysLoadAndSaveAsOff) {
    defaults.setBool("nivelo.autoQuickMenuEnabled", true);
    defaults.setBool("nivelo.quickMenu.floatingButtonVisible", true);
    NiveloSettings s = load();
    EXPECT_EQ(s, NiveloSettings());
    s.autoQuickMenuEnabled = true;
    s.floatingButtonVisible = true;
    save(s);
    EXPECT_EQ(defaults.object("nivelo.autoQuickMenuEnabled"), QVariant(false));
    EXPECT_EQ(defaults.object("nivelo.quickMenu.floatingButtonVisible"), QVariant(false));
}

// Normalized, with the emoji row put back (before polite, else last) unless present in any
// form; the older text form is read and rewritten as data.
TEST_F(SettingsStore, QuickMenuListsAreNormalizedAndGetTheEmojiRowBack) {
    expectLoads({
        {"nivelo.quickMenu.actions", data(R"([" ai","fix","polite","polite"])"),
         data(R"(["ai","style:original","style:emoji","style:polite","style:polite"])")},
        {"nivelo.quickMenu.order", data(R"(["layout","clipboard"])"),
         data(R"(["layout","clipboard","style:emoji"])")},
        {"nivelo.quickMenu.actions", data(R"(["emoji","polite"])"),
         data(R"(["style:emoji","style:polite"])")},
        {"nivelo.quickMenu.actions", R"(["ai","fix","polite"])",
         data(R"(["ai","style:original","style:emoji","style:polite"])")},
    });
}

TEST_F(SettingsStore, UnusableQuickMenuListsTakeTheDefault) {
    for (const char* bad : {"[]", "not json", R"(["ai",3])", R"({"a":"b"})"}) {
        expectLoads({{"nivelo.quickMenu.order", data(bad)}, {"nivelo.quickMenu.order", bad}});
    }
}

TEST_F(SettingsStore, OneBadElementDiscardsTheWholeList) {
    expectLoads({
        {"nivelo.promptStyles",
         QByteArray(R"([{"id":"custom-1","name":"Mine","prompt":"p","hotkey":"Alt+M",)"
                    R"("autoReplace":false},{"id":"custom-2","name":"Other","prompt":"q",)"
                    R"("hotkey":"Alt+N"}])")},
        // A flag written as a number is the wrong type, too.
        {"nivelo.promptStyles",
         QByteArray(R"([{"id":"custom-1","name":"Mine","prompt":"p","hotkey":"Alt+M",)"
                    R"("autoReplace":0}])")},
        {"nivelo.promptStyles", QByteArray("[]")},
        {"nivelo.aiReplyStyles",
         QByteArray(R"([{"id":"polite","name":"Nice","prompt":"","hotkey":null},)"
                    R"({"id":"custom-reply-1","name":"C","prompt":"c","hotkey":"Not assigned"}])")},
        {"nivelo.appLayoutSwitching.rules",
         "[" + QByteArray(kRuleJson).replace(R"("id":")", R"("id":"x)") + "]"},
        // Layout rules are read from data only.
        {"nivelo.appLayoutSwitching.rules", QString::fromUtf8("[" + QByteArray(kRuleJson) + "]")},
    });
}

// Read from data by the round trip above.
TEST_F(SettingsStore, SavedStylesInTheOlderTextFormAreMergedToo) {
    defaults.setString(
        "nivelo.promptStyles",
        R"([{"id":"custom-1","name":"Mine","prompt":"p","hotkey":"Alt+M","autoReplace":false},)"
        R"({"id":"original","name":"","prompt":"Fix obvious typos.","hotkey":"Alt+0",)"
        R"("autoReplace":false}])");
    defaults.setString(
        "nivelo.aiReplyStyles",
        R"([{"id":"polite","name":"Nice","prompt":"","hotkey":"Alt+9"},)"
        R"({"id":"custom-reply-1","name":"C","prompt":"c","hotkey":"Not assigned"}])");
    const NiveloSettings s = load();
    ASSERT_EQ(s.promptStyles.size(), 18);
    EXPECT_EQ(s.promptStyles[0].prompt, NiveloPromptLibrary::defaultStyles()[0].prompt);
    EXPECT_EQ(s.promptStyles[0].hotkey, "Alt+0");
    EXPECT_FALSE(s.promptStyles[0].autoReplace);
    EXPECT_EQ(s.promptStyles[17].id, "custom-1");
    ASSERT_EQ(s.aiReplyStyles.size(), 18);
    EXPECT_EQ(s.aiReplyStyles[3].name, "Nice");
    EXPECT_EQ(s.aiReplyStyles[3].prompt, AIReplyStyleLibrary::defaultStyles()[3].prompt);
}
