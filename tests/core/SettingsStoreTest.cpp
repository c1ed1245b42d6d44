#include <gtest/gtest.h>

#include "core/AIReplyStyleLibrary.h"
#include "core/NativeSettingsStore.h"
#include "core/NiveloPromptLibrary.h"
#include "core/QuickAction.h"
#include "platform/MemoryDefaults.h"

namespace {

QVariant data(const char* json) {
    return QVariant(QByteArray(json));
}

const char* const kRuleJson =
    R"({"id":"0F8FAD5B-D9CB-469F-A165-70867728950E","bundleIdentifier":"org.xfce.mousepad",)"
    R"("appName":"Mousepad","appPath":"/usr/bin/mousepad","layoutName":"Russian","isEnabled":false})";

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
    EXPECT_EQ(load(), NiveloSettings());
    save(load());
    EXPECT_EQ(defaults.dataValue("nivelo.appLayoutSwitching.rules"), QByteArray("[]"));
}

// Each field under its key in its type (lists as compact JSON data, keys in their fixed order,
// rule ids as upper-case UUID text); loading again gives the same record.
TEST_F(SettingsStore, EveryFieldIsStoredUnderItsKeyAndLoadsBack) {
    NiveloSettings s;
    s.appearanceMode = AppearanceMode::liquidNoir;
    s.targetLanguage = "Chinese (Traditional)";
    s.promptStyles.append({"custom-abcdefgh", "Пират", "Talk \"like\" a pirate.", "Alt+P", false});
    s.aiReplyStyles.append({"custom-reply-12345678", "Yes", "Agree.", "Command+Alt+Y"});
    s.layoutAutoSwitch = false;
    s.appLayoutRules = {*AppLayoutRule::fromJson(Json::parse(kRuleJson))};
    s.quickMenuActions = {"style:emoji", "ai", "custom-x"};
    s.clipboardLimit = 7;
    save(s);
    EXPECT_EQ(defaults.object("nivelo.clipboardLimit"), QVariant(qint64(7)));
    EXPECT_EQ(defaults.object("nivelo.layoutAutoSwitch"), QVariant(false));
    EXPECT_EQ(defaults.object("nivelo.quickMenu.actions"),
              data(R"(["style:emoji","ai","custom-x"])"));
    EXPECT_EQ(defaults.object("nivelo.appLayoutSwitching.rules"),
              QVariant(QByteArray("[") + kRuleJson + "]"));
    EXPECT_TRUE(
        defaults.dataValue("nivelo.promptStyles")
            ->endsWith(R"(,{"id":"custom-abcdefgh","name":"Пират","prompt":)"
                       R"("Talk \"like\" a pirate.","hotkey":"Alt+P","autoReplace":false}])"));
    EXPECT_EQ(load(), s);
}

// Fallbacks: empty or unlisted text, unknown enumeration text, numbers and flags read from text,
// the clipboard limit clamped; the quick menu lists normalized with the emoji row put back
// (before polite, else last) unless present in any form, the older text form read too.
TEST_F(SettingsStore, StoredValuesAreReadWithTheirFallbacks) {
    expectLoads({
        {"nivelo.quickMenuHotkey", "", "Alt+Q"},
        {"nivelo.targetLanguage", "english", "English"},
        // Only the exact "Auto" layout source is replaced.
        {"nivelo.layoutNativeSource", "Auto", "Русская — ПК"},
        {"nivelo.layoutLatinSource", "auto", "auto"},
        {"nivelo.surfaceMode", "Solid", "translucent"},
        {"nivelo.clipboardLimit", qint64(0), qint64(1)},
        {"nivelo.clipboardLimit", "5000", qint64(1000)},
        {"nivelo.closeToMenuBar", "0", false},
        {"nivelo.quickMenu.actions", data(R"([" ai","fix","polite","polite"])"),
         data(R"(["ai","style:original","style:emoji","style:polite","style:polite"])")},
        {"nivelo.quickMenu.order", data(R"(["emoji","clipboard"])"),
         data(R"(["style:emoji","clipboard"])")},
        {"nivelo.quickMenu.actions", R"(["ai","fix"])",
         data(R"(["ai","style:original","style:emoji"])")},
        // An unusable list, or one bad element in it (a flag written as a number, too), takes
        // the default; layout rules are read from data only.
        {"nivelo.quickMenu.order", data("[]")},
        {"nivelo.quickMenu.order", data(R"(["ai",3])")},
        {"nivelo.promptStyles",
         QByteArray(R"([{"id":"custom-1","name":"Mine","prompt":"p","hotkey":"Alt+M",)"
                    R"("autoReplace":false},{"id":"custom-2","name":"Other","prompt":"q",)"
                    R"("hotkey":"Alt+N","autoReplace":0}])")},
        {"nivelo.aiReplyStyles",
         QByteArray(R"([{"id":"polite","name":"Nice","prompt":"","hotkey":null}])")},
        {"nivelo.appLayoutSwitching.rules",
         "[" + QByteArray(kRuleJson).replace(R"("id":")", R"("id":"x)") + "]"},
        {"nivelo.appLayoutSwitching.rules", QString::fromUtf8("[" + QByteArray(kRuleJson) + "]")},
    });
}

// A user who switched the emoji row off keeps it off; lists from before the row get it back.
TEST_F(SettingsStore, TheEmojiRowReturnsOnlyToListsThatNeverHadIt) {
    defaults.setData("nivelo.quickMenu.order", R"(["ai","emoji","fix"])");
    defaults.setData("nivelo.quickMenu.actions", R"(["ai","fix"])");
    EXPECT_EQ(load().quickMenuActions, QStringList({"ai", "style:original"}));
    defaults.setData("nivelo.quickMenu.order", R"(["ai","fix"])");
    EXPECT_EQ(load().quickMenuActions, QStringList({"ai", "style:original", "style:emoji"}));
}

// The selection trigger's switches always load and save as off.
TEST_F(SettingsStore, SelectionTriggerSwitchesAlwaysLoadAndSaveAsOff) {
    expectLoads({{"nivelo.autoQuickMenuEnabled", true}});
    NiveloSettings s;
    s.autoQuickMenuEnabled = true;
    s.floatingButtonVisible = true;
    save(s);
    EXPECT_EQ(defaults.object("nivelo.autoQuickMenuEnabled"), QVariant(false));
    EXPECT_EQ(defaults.object("nivelo.quickMenu.floatingButtonVisible"), QVariant(false));
}

// Saved styles, also in the older text form, are merged with the built-ins.
TEST_F(SettingsStore, SavedStylesInTheOlderTextFormAreMergedToo) {
    defaults.setString(
        "nivelo.promptStyles",
        R"([{"id":"original","name":"","prompt":"Fix obvious typos.","hotkey":"Alt+0",)"
        R"("autoReplace":false}])");
    defaults.setString("nivelo.aiReplyStyles",
                       R"([{"id":"polite","name":"Nice","prompt":"","hotkey":"Alt+9"}])");
    const NiveloSettings s = load();
    EXPECT_EQ(s.promptStyles[0],
              (PromptStyle{"original", "Fix", NiveloPromptLibrary::defaultStyles()[0].prompt,
                           "Alt+0", false}));
    EXPECT_EQ(s.aiReplyStyles[3].prompt, AIReplyStyleLibrary::defaultStyles()[3].prompt);
}
