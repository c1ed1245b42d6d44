// The state's own rules: creation, settings changes, the return to idle, titles, style editing,
// clearing the clipboard history, and the surface mode the desktop asks for.

#include <QTemporaryDir>
#include <cerrno>

#include "StateFixture.h"
#include "core/AIReplyStyleLibrary.h"
#include "platform/DefaultsSystemAppearance.h"
#include "platform/IniDefaults.h"
#include "platform/SaveReport.h"
#include "theme/SystemSurfaceMode.h"

namespace {
const PromptStyle kMine{"custom-1", "Pirate", "p", "Not assigned", true};
}  // namespace

TEST_F(StateTest, CreationMirrorsTheStoredSettings) {
    appearance.reduce = true;
    makeState([](NiveloSettings& s) {
        s.quickMenuActions = {"ai", "style:polite"};
        s.targetLanguage = "French";
        s.promptStyles.append(kMine);
    });
    EXPECT_EQ(state->targetLanguage(), "French");
    EXPECT_EQ(state->promptStyles().last(), kMine);
    // As stored: the saved order names the emoji row, so the user had switched it off.
    EXPECT_EQ(state->quickActions(), (QList<QuickAction>{{"ai"}, {"style:polite"}}));
    EXPECT_EQ(state->systemSurfaceMode(), SurfaceMode::solid);
}

// Every assignment saves and republishes, even of the same record; the menu's entries are
// mirrored normalized; subscribers get the current record first, on a later turn.
TEST_F(StateTest, EverySettingsChangeSavesOnceAndRepublishes) {
    makeState();
    int emitted = 0;
    const auto count = [&] { ++emitted; };
    QObject::connect(state.get(), &NiveloAppState::aiReplyStylesChanged, count);
    QObject::connect(state.get(), &NiveloAppState::targetLanguageChanged, count);
    QList<UiLanguage> seen;
    Subscription subscription =
        state->subscribeSettings([&](const NiveloSettings& s) { seen << s.uiLanguage; });
    EXPECT_TRUE(seen.isEmpty());
    defaults.setString("nivelo.targetLanguage", "German");
    state->setSettings(state->settings());
    EXPECT_EQ(store.load().targetLanguage, "English");
    EXPECT_EQ(emitted, 2);
    state->editSettings([](NiveloSettings& s) {
        s.quickMenuActions = {"  fix\n", "polite", "Fix", "layout"};
        s.targetLanguage = "Spanish";
        s.uiLanguage = UiLanguage::ru;
    });
    VirtualClock::flushEvents();
    EXPECT_EQ(store.load().targetLanguage, "Spanish");
    EXPECT_EQ(state->targetLanguage(), "Spanish");
    EXPECT_EQ(state->quickActions(),
              (QList<QuickAction>{{"style:original"}, {"style:polite"}, {"Fix"}, {"layout"}}));
    EXPECT_EQ(seen, (QList<UiLanguage>{UiLanguage::en, UiLanguage::en, UiLanguage::ru}));
    // A change not yet delivered is dropped with the subscription.
    setLanguage(UiLanguage::en);
    subscription.reset();
    VirtualClock::flushEvents();
    EXPECT_EQ(seen.size(), 3);
}

// 0.9 s after done, 1.3 s after failed, restarted by a newer status; a pending one dies with
// the state.
TEST_F(StateTest, DoneAndFailedReturnToIdleAfterTheirWait) {
    for (const auto& [status, wait] :
         {std::pair{done("ok"), qint64(900)}, std::pair{failed("broken"), qint64(1300)}}) {
        makeState();
        const qint64 start = desktop.clock.nowMs();
        state->setStatus(status);
        desktop.clock.advance(500);
        state->setStatus(status);
        desktop.clock.advance(wait - 1);
        EXPECT_EQ(state->status(), status);
        desktop.clock.advance(1);
        EXPECT_EQ(state->status(), idle());
        EXPECT_EQ(recordedAtMs.last() - start, 500 + wait);
        state->setStatus(status);
        state.reset();
        EXPECT_EQ(desktop.clock.pendingCount(), 0u);
    }
}

// Translate keeps its title whatever its style is called; unknown ids and custom names are not
// translated.
TEST_F(StateTest, TitlesFollowTheInterfaceLanguageButFixedTitlesAndCustomNamesDoNot) {
    makeState([](NiveloSettings& s) {
        s.promptStyles.last().name = "My translator";
        s.promptStyles.append(kMine);
    });
    for (const auto& [language, id, title] :
         std::vector<std::tuple<UiLanguage, const char*, const char*>>{
             {UiLanguage::en, "translate", "Translate"},
             {UiLanguage::en, "bogus", "Действие"},
             {UiLanguage::ru, "style:social", "Соцсети"},
             {UiLanguage::ru, "style:custom-1", "Pirate"}}) {
        setLanguage(language);
        EXPECT_EQ(state->title({QString::fromUtf8(id)}), QString::fromUtf8(title)) << id;
    }
}

// A new style gets a fresh id, joins both menu lists (once) and opens its page; its name and
// prompt follow the interface language.
TEST_F(StateTest, AddedPromptStylesHaveFreshIdsAndJoinTheQuickMenu) {
    makeState([](NiveloSettings& s) { s.quickMenuOrder.append("style:custom-1a2b3c4d"); });
    newIds = {"1a2b3c4d", "1a2b3c4d", "feedbeef"};
    state->addPromptStyle();
    const PromptStyle added = state->promptStyles().last();
    EXPECT_EQ(added, (PromptStyle{"custom-1a2b3c4d", "New Style",
                                  "Rewrite the text in the requested style. Preserve the meaning "
                                  "and return only the final text.",
                                  "Not assigned", true}));
    EXPECT_EQ(state->settings().quickMenuOrder.count("style:custom-1a2b3c4d"), 1);
    EXPECT_EQ(state->quickActions().last(), QuickAction{"style:custom-1a2b3c4d"});
    EXPECT_EQ(state->selectedSettingsPage(), SettingsPage::styles);
    setLanguage(UiLanguage::ru);
    state->addPromptStyle();
    EXPECT_EQ(state->promptStyles().last().id, "custom-feedbeef");
    EXPECT_EQ(state->settings().quickMenuOrder.last(), "style:custom-feedbeef");
    EXPECT_EQ(state->promptStyles().last().name, "Новый стиль");
    EXPECT_EQ(store.load(), state->settings());

    // Without a generator of its own the state makes random ids.
    auto deps = dependencies();
    deps.newIdCharacters = nullptr;
    NiveloAppState fresh(deps);
    fresh.addPromptStyle();
    fresh.addPromptStyle();
    EXPECT_NE(fresh.promptStyles().at(17).id, fresh.promptStyles().at(18).id);
    EXPECT_TRUE(fresh.promptStyles().at(17).id.startsWith("custom-"));
}

// Update replaces by id only; delete takes a custom style's menu entries in any form with it
// and leaves built-ins alone.
TEST_F(StateTest, PromptStylesUpdateByIdAndDeleteWithTheirMenuEntries) {
    makeState([](NiveloSettings& s) {
        s.promptStyles.append(kMine);
        s.quickMenuActions = {"ai", " style:custom-1 ", "style:custom-10"};
        s.quickMenuOrder = {"style:custom-1", "layout"};
    });
    PromptStyle changed = state->promptStyles().at(1);
    changed.prompt = "Be warmer.";
    state->updatePromptStyle(changed);
    state->updatePromptStyle({"nobody", {}, {}, {}, true});
    state->deletePromptStyle(state->promptStyles().first());
    EXPECT_EQ(state->promptStyles().at(1), changed);
    EXPECT_EQ(state->promptStyles().size(), 18);
    state->deletePromptStyle(kMine);
    EXPECT_EQ(state->promptStyles().size(), 17);
    EXPECT_EQ(state->settings().quickMenuActions,
              (QStringList{"ai", "style:custom-10", "style:emoji"}));
    EXPECT_EQ(state->settings().quickMenuOrder, (QStringList{"layout", "style:emoji"}));
    EXPECT_EQ(store.load(), state->settings());
}

TEST_F(StateTest, ReplyStylesAndClipboardHistoryEditing) {
    makeState();
    newIds = {"00ff00ff"};
    state->addAIReplyStyle();
    AIReplyStyle mine = state->aiReplyStyles().last();
    EXPECT_EQ(mine, (AIReplyStyle{"custom-reply-00ff00ff", "New Reply Style",
                                  "Write a natural ready-to-send reply in the requested style. "
                                  "Return only the reply text.",
                                  "Not assigned"}));
    EXPECT_EQ(state->selectedSettingsPage(), SettingsPage::aiReply);
    mine.name = "Short and kind";
    state->updateAIReplyStyle(mine);
    EXPECT_EQ(store.load().aiReplyStyles.last().name, "Short and kind");
    state->deleteAIReplyStyle(state->aiReplyStyles().first());
    state->deleteAIReplyStyle(mine);
    EXPECT_EQ(state->aiReplyStyles(), AIReplyStyleLibrary::defaultStyles());
    // Clearing the clipboard history empties it and its store.
    captureServices.history.setItems({{"a", "copied", desktop.clock.currentDateTime(), 6}});
    captureServices.history.save();
    state->clearClipboardHistory();
    EXPECT_TRUE(captureServices.history.load().isEmpty());
    EXPECT_EQ(state->status(), done("Clipboard history cleared"));
    setLanguage(UiLanguage::ru);
    state->clearClipboardHistory();
    EXPECT_EQ(state->status(), done("История буфера очищена"));
}

// Reduce-transparency wins; then the app's own integer; a value of another type leaves it to
// the desktop's integer; nothing set is translucent.
TEST(SystemSurfaceMode, ReduceTransparencyThenTheOwnIntegerThenTheDesktopsDecide) {
    const QVariant zero(qint64(0)), one(qint64(1)), text("1");
    const struct {
        bool reduce;
        QVariant own, global;
        SurfaceMode expected;
    } cases[] = {{true, zero, zero, SurfaceMode::solid},
                 {false, QVariant(2), zero, SurfaceMode::solid},
                 {false, text, one, SurfaceMode::solid},
                 {false, {}, {}, SurfaceMode::translucent}};
    for (const auto& c : cases) {
        SimulatedSystemAppearance a;
        a.reduce = c.reduce;
        a.glassDiffusion = c.own;
        a.globalGlassDiffusion = c.global;
        EXPECT_EQ(systemResolvedSurfaceMode(a), c.expected) << c.own.toString().toStdString();
    }
}

TEST(DefaultsSystemAppearance, OwnKeysDecideAndNumbersStoredAsTextCount) {
    QTemporaryDir dir;
    IniDefaults(dir.filePath("defaults.ini"))
        .setInteger(DefaultsSystemAppearance::kGlassDiffusionKey, 1);
    IniDefaults defaults(dir.filePath("defaults.ini"));
    DefaultsSystemAppearance appearance(defaults);
    EXPECT_EQ(systemResolvedSurfaceMode(appearance), SurfaceMode::solid);
    defaults.setString(DefaultsSystemAppearance::kGlassDiffusionKey, "glassy");
    EXPECT_EQ(systemResolvedSurfaceMode(appearance), SurfaceMode::translucent);
    defaults.setBool(DefaultsSystemAppearance::kReduceTransparencyKey, true);
    EXPECT_EQ(systemResolvedSurfaceMode(appearance), SurfaceMode::solid);
}

// Polled every 0.75 s, published only on a change; display option changes arrive at once;
// starting again only refreshes; the poll dies with the state.
TEST_F(StateTest, SurfaceObserverPollsAndPublishesOnlyChanges) {
    makeState();
    QList<SurfaceMode> published;
    QObject::connect(state.get(), &NiveloAppState::systemSurfaceModeChanged, state.get(),
                     [&](SurfaceMode mode) { published << mode; });
    state->startSystemSurfaceObserver();
    desktop.clock.advance(750 * 4);
    EXPECT_TRUE(published.isEmpty());

    appearance.glassDiffusion = QVariant(qint64(1));
    desktop.clock.advance(749);
    EXPECT_EQ(state->systemSurfaceMode(), SurfaceMode::translucent);
    desktop.clock.advance(1);
    appearance.glassDiffusion = QVariant();
    desktop.clock.advance(750);
    appearance.setReduceTransparency(true);
    appearance.reduce = false;
    state->startSystemSurfaceObserver();
    EXPECT_EQ(published, (QList<SurfaceMode>{SurfaceMode::solid, SurfaceMode::translucent,
                                             SurfaceMode::solid, SurfaceMode::translucent}));
    EXPECT_EQ(desktop.clock.pendingCount(), 1u);
    state.reset();
    EXPECT_EQ(desktop.clock.pendingCount(), 0u);
}

// A store's save that cannot be written is the failed status, with the reason in the
// interface language; a run of failures says it once.
TEST_F(StateTest, ASaveThatCannotBeWrittenShowsTheFailedStatusOncePerRun) {
    const struct {
        UiLanguage language;
        int error;
        QString message;
    } cases[] = {
        {UiLanguage::en, ENOSPC, "Could not save: No space left on device."},
        {UiLanguage::ru, ENOSPC, "Не удалось сохранить: на диске нет места."},
        {UiLanguage::en, EACCES, "Could not save: Permission denied."},
        {UiLanguage::ru, EPERM, "Не удалось сохранить: нет прав на запись."},
        {UiLanguage::en, EROFS, "Could not save: The file system is read-only."},
        {UiLanguage::ru, EROFS, "Не удалось сохранить: диск только для чтения."},
        {UiLanguage::en, EDQUOT, "Could not save: Disk quota exceeded."},
        {UiLanguage::ru, EDQUOT, "Не удалось сохранить: исчерпана квота диска."},
        {UiLanguage::en, EIO, "Could not save: Input/output error."},
        {UiLanguage::ru, EIO, "Не удалось сохранить: ошибка ввода-вывода."},
        {UiLanguage::en, EFBIG, "Could not save: The file could not be written."},
        {UiLanguage::ru, EFBIG, "Не удалось сохранить: запись не удалась."},
    };
    for (const auto& c : cases) {
        SaveReport report(desktop.clock);
        NiveloSettings settings;
        settings.uiLanguage = c.language;
        store.save(settings);
        auto deps = dependencies();
        deps.saveReport = &report;
        NiveloAppState appState(deps);
        QList<ActionStatus> shown;
        QObject::connect(&appState, &NiveloAppState::statusChanged,
                         [&](const ActionStatus& status) { shown << status; });
        const int notes = 0;
        const int history = 0;
        report.failed(&notes, c.error);
        report.failed(&history, c.error);
        report.failed(&notes, c.error);
        report.saved(&notes);
        report.failed(&notes, c.error);
        EXPECT_EQ(shown, QList<ActionStatus>{ActionStatus::failed(c.message)})
            << c.message.toStdString();
        // Written again: the next failure starts a new run.
        report.saved(&notes);
        report.saved(&history);
        report.failed(&history, c.error);
        EXPECT_EQ(shown.size(), 2);
    }
}
