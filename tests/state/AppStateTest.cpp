// The state's own rules: creation, settings changes, the return to idle, titles, style editing
// and clearing the clipboard history.

#include "StateFixture.h"
#include "core/AIReplyStyleLibrary.h"

#include <QRegularExpression>

namespace {
template <typename Signal>
std::shared_ptr<int> countEmissions(NiveloAppState* state, Signal signal) {
    auto count = std::make_shared<int>(0);
    QObject::connect(state, signal, state, [count] { ++*count; });
    return count;
}

QStringList styleIds(const QList<PromptStyle>& styles) {
    QStringList ids;
    for (const auto& s : styles) {
        ids << s.id;
    }
    return ids;
}

const PromptStyle kMine{QStringLiteral("custom-1"), QStringLiteral("Pirate"), QStringLiteral("p"),
                        QStringLiteral("Not assigned"), true};
}  // namespace

// Creation

TEST_F(StateTest, CreationLoadsTheSettingsAndMirrorsThemWithoutSaving) {
    appearance.reduce = true;
    makeState([](NiveloSettings& s) {
        s.quickMenuActions = {QStringLiteral("ai"), QStringLiteral("style:polite")};
        s.targetLanguage = QStringLiteral("French");
        s.promptStyles.append(kMine);
    });

    EXPECT_EQ(defaults.saves, 0);
    EXPECT_EQ(state->selectedSettingsPage(), SettingsPage::general);
    EXPECT_EQ(state->status(), idle());
    EXPECT_EQ(state->settings(), store.load());
    EXPECT_EQ(state->targetLanguage(), "French");
    EXPECT_EQ(state->promptStyles().last().id, "custom-1");
    EXPECT_EQ(state->aiReplyStyles(), state->settings().aiReplyStyles);
    // As the store restored the list (it brings the emoji style back).
    EXPECT_EQ(state->quickActions(),
              (QList<QuickAction>{{"ai"}, {"style:emoji"}, {"style:polite"}}));
    EXPECT_EQ(state->systemSurfaceMode(), SurfaceMode::solid);
    EXPECT_EQ(desktop.clock.pendingCount(), 0u);
}

// Settings changes

TEST_F(StateTest, AssigningTheSameSettingsStillSavesAndRepublishes) {
    makeState();
    const QList<std::shared_ptr<int>> counts{
        countEmissions(state.get(), &NiveloAppState::promptStylesChanged),
        countEmissions(state.get(), &NiveloAppState::aiReplyStylesChanged),
        countEmissions(state.get(), &NiveloAppState::quickActionsChanged),
        countEmissions(state.get(), &NiveloAppState::targetLanguageChanged),
        countEmissions(state.get(), &NiveloAppState::settingsChanged)};

    state->setSettings(state->settings());

    EXPECT_EQ(defaults.saves, 1);
    for (int i = 0; i < counts.size(); ++i) {
        EXPECT_EQ(*counts.at(i), 1) << "signal " << i;
    }
}

TEST_F(StateTest, OneEditSavesOnceAndMirrorsTheNormalizedMenuEntries) {
    makeState();
    state->editSettings([](NiveloSettings& s) {
        s.quickMenuActions = {QStringLiteral("  fix\n"), QStringLiteral("polite"),
                              QStringLiteral("ai"),      QStringLiteral("Fix"),
                              QStringLiteral("fix"),     QStringLiteral("layout")};
        s.quickMenuOrder = {QStringLiteral("layout")};
        s.targetLanguage = QStringLiteral("Spanish");
    });

    EXPECT_EQ(defaults.saves, 1);
    EXPECT_EQ(store.load().targetLanguage, "Spanish");
    EXPECT_EQ(state->targetLanguage(), "Spanish");
    // Only the menu's actions are mirrored, not its order.
    EXPECT_EQ(state->quickActions(), (QList<QuickAction>{{"style:original"},
                                                         {"style:polite"},
                                                         {"ai"},
                                                         {"Fix"},
                                                         {"style:original"},
                                                         {"layout"}}));
}

TEST_F(StateTest, SettingsSubscribersGetTheCurrentRecordThenEveryChange) {
    makeState();
    QList<UiLanguage> seen;
    CaptureAppState& capture = *state;
    Subscription subscription =
        capture.subscribeSettings([&](const NiveloSettings& s) { seen << s.uiLanguage; });
    EXPECT_TRUE(seen.isEmpty());
    VirtualClock::flushEvents();
    setLanguage(UiLanguage::ru);
    setLanguage(UiLanguage::ru);
    VirtualClock::flushEvents();
    EXPECT_EQ(seen, (QList<UiLanguage>{UiLanguage::en, UiLanguage::ru, UiLanguage::ru}));
}

// The return to idle: 0.9 s after done, 1.3 s after failed, restarted by a newer status.

TEST_F(StateTest, DoneAndFailedReturnToIdleAfterTheirWaitRestartedByANewerStatus) {
    for (const auto& [status, wait] : {std::pair{done(QStringLiteral("ok")), qint64(900)},
                                       std::pair{failed(QStringLiteral("broken")), qint64(1300)}}) {
        SCOPED_TRACE(wait);
        makeState();
        const qint64 start = desktop.clock.nowMs();
        state->setStatus(status);
        desktop.clock.advance(500);
        // The same status again restarts the wait.
        state->setStatus(status);
        desktop.clock.advance(wait - 1);
        EXPECT_EQ(state->status(), status);
        desktop.clock.advance(1);
        EXPECT_EQ(state->status(), idle());
        EXPECT_EQ(recorded.last().atMs - start, 500 + wait);
        EXPECT_EQ(desktop.clock.pendingCount(), 0u);
        recorded.clear();
    }
}

TEST_F(StateTest, RunningCancelsThePendingReturnToIdleAndAPendingOneDiesWithTheState) {
    makeState();
    state->setStatus(done(QStringLiteral("ok")));
    desktop.clock.advance(400);
    state->setStatus(running(QStringLiteral("busy")));
    desktop.clock.advance(10'000);
    EXPECT_EQ(state->status(), running(QStringLiteral("busy")));
    state->setStatus(done(QStringLiteral("ok")));
    ASSERT_EQ(desktop.clock.pendingCount(), 1u);
    state.reset();
    EXPECT_EQ(desktop.clock.pendingCount(), 0u);
}

// Titles follow the interface language; translate keeps its title whatever its style is
// called; unknown ids and custom names are not translated.
TEST_F(StateTest, TitlesFollowTheInterfaceLanguageButFixedTitlesAndCustomNamesDoNot) {
    makeState([](NiveloSettings& s) {
        s.promptStyles.first().name = QStringLiteral("My fixer");
        s.promptStyles.last().name = QStringLiteral("My translator");
        s.promptStyles.append(kMine);
    });
    for (const auto& [language, id, title] :
         std::vector<std::tuple<UiLanguage, const char*, const char*>>{
             {UiLanguage::en, "ai", "AI assistant"},
             {UiLanguage::en, "style:social", "Social Media"},
             {UiLanguage::en, "style:original", "Fix"},
             {UiLanguage::en, "style:translate", "Translate"},
             {UiLanguage::en, "translate", "Translate"},
             {UiLanguage::en, "bogus", "Действие"},
             {UiLanguage::en, "style:custom-1", "Pirate"},
             {UiLanguage::ru, "clipboard", "Буфер"},
             {UiLanguage::ru, "layout", "Раскладка"},
             {UiLanguage::ru, "style:social", "Соцсети"},
             {UiLanguage::ru, "style:nothing-here", "Действие"},
             {UiLanguage::ru, "style:custom-1", "Pirate"}}) {
        setLanguage(language);
        EXPECT_EQ(state->title({QString::fromUtf8(id)}), QString::fromUtf8(title)) << id;
    }
    EXPECT_EQ(state->styleTitle(state->promptStyles().last()), "Pirate");
}

// Prompt styles

TEST_F(StateTest, AddPromptStyleAppendsItAndPutsItInBothQuickMenuLists) {
    makeState();
    newIds = {QStringLiteral("1a2b3c4d")};

    state->addPromptStyle();

    const PromptStyle added = state->settings().promptStyles.last();
    EXPECT_EQ(added, (PromptStyle{QStringLiteral("custom-1a2b3c4d"), QStringLiteral("New Style"),
                                  QStringLiteral("Rewrite the text in the requested style. "
                                                 "Preserve the meaning and return only the final "
                                                 "text."),
                                  QStringLiteral("Not assigned"), true}));
    EXPECT_EQ(state->promptStyles().last(), added);
    EXPECT_EQ(state->settings().quickMenuOrder.last(), "style:custom-1a2b3c4d");
    EXPECT_EQ(state->settings().quickMenuActions.last(), "style:custom-1a2b3c4d");
    EXPECT_EQ(state->quickActions().last(), QuickAction{"style:custom-1a2b3c4d"});
    EXPECT_EQ(state->selectedSettingsPage(), SettingsPage::styles);
    EXPECT_EQ(defaults.saves, 3);
    EXPECT_EQ(store.load(), state->settings());
}

TEST_F(StateTest, AddPromptStyleSkipsAListThatHasTheActionAlready) {
    makeState([](NiveloSettings& s) { s.quickMenuOrder.append("style:custom-1a2b3c4d"); });
    newIds = {QStringLiteral("1a2b3c4d")};
    setLanguage(UiLanguage::ru);
    defaults.saves = 0;

    state->addPromptStyle();

    EXPECT_EQ(state->settings().quickMenuOrder.count("style:custom-1a2b3c4d"), 1);
    EXPECT_EQ(state->settings().quickMenuActions.last(), "style:custom-1a2b3c4d");
    EXPECT_EQ(defaults.saves, 2);
    EXPECT_EQ(state->promptStyles().last().name, "Новый стиль");
    EXPECT_EQ(state->promptStyles().last().prompt,
              "Перепиши текст в нужном стиле. Сохрани смысл и верни только готовый текст.");
}

TEST_F(StateTest, ANewStyleIdNeverRepeatsAnExistingOne) {
    makeState();
    newIds = {QStringLiteral("feedbeef"), QStringLiteral("feedbeef"), QStringLiteral("feedbeef"),
              QStringLiteral("0badcafe")};

    state->addPromptStyle();
    state->addPromptStyle();

    const QStringList ids = styleIds(state->settings().promptStyles);
    EXPECT_EQ(ids.count("custom-feedbeef"), 1);
    EXPECT_EQ(ids.last(), "custom-0badcafe");
    EXPECT_TRUE(newIds.isEmpty());
}

TEST_F(StateTest, ANewIdWithoutAGeneratorIsEightLowercaseHexDigits) {
    auto deps = dependencies();
    deps.newIdCharacters = nullptr;
    NiveloAppState fresh(deps);
    fresh.addPromptStyle();
    fresh.addAIReplyStyle();
    EXPECT_TRUE(QRegularExpression("^custom-[0-9a-f]{8}$")
                    .match(fresh.settings().promptStyles.last().id)
                    .hasMatch());
    EXPECT_TRUE(QRegularExpression("^custom-reply-[0-9a-f]{8}$")
                    .match(fresh.settings().aiReplyStyles.last().id)
                    .hasMatch());
}

TEST_F(StateTest, UpdatePromptStyleReplacesTheOneWithItsIdOnly) {
    makeState();
    PromptStyle changed = state->promptStyles().at(1);
    changed.prompt = QStringLiteral("Be warmer.");
    changed.hotkey = QStringLiteral("Alt+9");

    state->updatePromptStyle(changed);
    EXPECT_EQ(state->settings().promptStyles.at(1), changed);
    EXPECT_EQ(state->promptStyles().at(1), changed);
    EXPECT_EQ(defaults.saves, 1);

    state->updatePromptStyle({QStringLiteral("nobody"), {}, {}, {}, true});
    EXPECT_EQ(defaults.saves, 1);
    EXPECT_FALSE(styleIds(state->settings().promptStyles).contains("nobody"));
}

TEST_F(StateTest, DeletingACustomStyleRemovesItsActionsInAnyFormButNotABuiltIn) {
    makeState();
    state->deletePromptStyle(state->promptStyles().first());
    EXPECT_EQ(defaults.saves, 0);
    EXPECT_EQ(state->settings().promptStyles, NiveloSettings().promptStyles);

    state->editSettings([&](NiveloSettings& s) {
        s.promptStyles.append(kMine);
        s.quickMenuActions = {QStringLiteral("ai"), QStringLiteral(" style:custom-1 "),
                              QStringLiteral("style:custom-10")};
        s.quickMenuOrder = {QStringLiteral("style:custom-1"), QStringLiteral("layout")};
        s.selectedStyleId = QStringLiteral("custom-1");
    });
    defaults.saves = 0;

    state->deletePromptStyle(kMine);

    EXPECT_FALSE(styleIds(state->settings().promptStyles).contains("custom-1"));
    EXPECT_EQ(state->promptStyles(), state->settings().promptStyles);
    EXPECT_EQ(state->settings().quickMenuActions,
              (QStringList{QStringLiteral("ai"), QStringLiteral("style:custom-10")}));
    EXPECT_EQ(state->settings().quickMenuOrder, QStringList{QStringLiteral("layout")});
    EXPECT_EQ(state->quickActions(), (QList<QuickAction>{{"ai"}, {"style:custom-10"}}));
    EXPECT_EQ(state->settings().selectedStyleId, "custom-1");
    EXPECT_EQ(defaults.saves, 3);
    EXPECT_FALSE(styleIds(store.load().promptStyles).contains("custom-1"));
}

// Reply styles

TEST_F(StateTest, ReplyStylesAddOnTheReplyPageUpdateAndDelete) {
    makeState();
    newIds = {QStringLiteral("00ff00ff")};
    state->addAIReplyStyle();

    AIReplyStyle mine = state->aiReplyStyles().last();
    EXPECT_EQ(mine, (AIReplyStyle{QStringLiteral("custom-reply-00ff00ff"),
                                  QStringLiteral("New Reply Style"),
                                  QStringLiteral("Write a natural ready-to-send reply in the "
                                                 "requested style. Return only the reply text."),
                                  QStringLiteral("Not assigned")}));
    EXPECT_EQ(state->aiReplyStyles(), state->settings().aiReplyStyles);
    EXPECT_EQ(state->selectedSettingsPage(), SettingsPage::aiReply);
    EXPECT_EQ(defaults.saves, 1);
    // The quick menu has no reply styles.
    EXPECT_EQ(state->settings().quickMenuActions, QuickAction::defaultIds());

    mine.name = QStringLiteral("Short and kind");
    state->updateAIReplyStyle(mine);
    EXPECT_EQ(state->aiReplyStyles().last().name, "Short and kind");
    state->deleteAIReplyStyle(state->aiReplyStyles().first());
    EXPECT_EQ(defaults.saves, 2);
    state->deleteAIReplyStyle(mine);
    EXPECT_EQ(state->aiReplyStyles(), AIReplyStyleLibrary::defaultStyles());
    EXPECT_EQ(defaults.saves, 3);
}

// Clipboard history

TEST_F(StateTest, ClearingTheClipboardHistoryEmptiesItAndItsStore) {
    makeState();
    captureServices.history.setItems(
        {{QStringLiteral("a"), QStringLiteral("copied"), desktop.clock.currentDateTime(), 6}});
    captureServices.history.save();

    state->clearClipboardHistory();

    EXPECT_TRUE(captureServices.history.items().isEmpty());
    EXPECT_TRUE(captureServices.history.load().isEmpty());
    EXPECT_EQ(state->status(), done(QStringLiteral("Clipboard history cleared")));
}

// What the hot keys see

TEST_F(StateTest, HotKeysDriveTheStateThroughTheirInterface) {
    makeState();
    editor.setText(QStringLiteral("ghbdtn"), 0, 6);
    CaptureAppState& capture = *state;
    capture.setStatus(done(QStringLiteral("x")));
    capture.run(QuickAction{"layout"}, true, false);
    settle();
    EXPECT_EQ(editor.text, "привет");
    EXPECT_EQ(capture.promptStyles(), state->settings().promptStyles);
    EXPECT_EQ(&capture.settings(), &state->settings());
}
