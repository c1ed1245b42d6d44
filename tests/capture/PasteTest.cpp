#include <gtest/gtest.h>
#include "CaptureFixture.h"
#include "capture/PasteboardSnapshot.h"
#include "support/SimulatedPasteboard.h"

namespace {

const auto kFast = PasteboardTiming::fast();

struct PasteCase {
    const char* name;
    std::function<void(CaptureTest&)> setup;
    const char* target;
    PasteboardTiming timing;
    qint64 endMs, pasteDown;
    const char* frontText;
    qint64 slack = 0;
    const char* text = "Hi";  // spaces are pasted as they are
};

// The target fetches the text `ms` after the key-up of Paste (the fast preset sends it at 0
// and releases it at 20), as X11 targets do.
std::function<void(CaptureTest&)> fetchAfterPaste(qint64 ms) {
    return [ms](CaptureTest& t) {
        t.desktop.pasteboard.setServesLater(true);
        if (ms >= 0) {
            t.desktop.clock.callAfter(20 + ms, [&t] { t.desktop.pasteboard.serveText(); });
        }
    };
}

// Standard timing writes at 180 and pastes at 360 after activating the target; the user's
// pasteboard comes back 1,300 ms after Paste, or after a fast preset's 60 ms delay once the
// target fetched the text, but never later than 1,300 ms.
// clang-format off
const PasteCase kCases[] = {
    {"remembered app", [](auto&) {}, nullptr, {}, 1680, 360, "Hi world"},
    {"held modifiers", [](auto& t) { t.desktop.keys.holdModifiers(KeyModifier::Alt, 400); }, nullptr, {}, 1750, 430, "Hi world"},
    {"by identifier", [](auto& t) { t.desktop.launch(QStringLiteral("org.example.notes")).setText(QStringLiteral("abc"), 3, 0); },
     "org.example.notes", {}, 1680, 360, "abc  ", 0, "  "},
    {"fast, late fetch", fetchAfterPaste(400), nullptr, kFast, 420, 0, "Hi world", 5},
    {"fast, early fetch", fetchAfterPaste(10), nullptr, kFast, 80, 0, "Hi world"},
    {"fast, no fetch", fetchAfterPaste(-1), nullptr, kFast, 1320, 0, "Hi world"},
    {"standard, no fetch", fetchAfterPaste(-1), nullptr, {}, 1680, 360, "Hi world"},
};
// clang-format on

class PasteTest : public CaptureTest, public ::testing::WithParamInterface<PasteCase> {};

}  // namespace

TEST_P(PasteTest, PastesIntoTheTargetAndGivesTheUsersPasteboardBack) {
    const PasteCase& c = GetParam();
    c.setup(*this);
    auto outcome =
        startTask(paste(QString::fromUtf8(c.text),
                        c.target ? std::optional<QString>(c.target) : std::nullopt, c.timing));
    const qint64 end = runToEnd(outcome);
    EXPECT_GE(end, c.endMs);
    EXPECT_LE(end, c.endMs + c.slack);
    ASSERT_TRUE(outcome->value) << outcome->errorDescription().toStdString();
    EXPECT_EQ(desktop.keys.downTimes(KeyCode::V), QList<qint64>{c.pasteDown});
    EXPECT_EQ(desktop.frontmost()->text, QString::fromUtf8(c.frontText));
    expectUserPasteboardBack();
}

INSTANTIATE_TEST_SUITE_P(Pastes, PasteTest, ::testing::ValuesIn(kCases));

using PasteEdgeTest = CaptureTest;

// An empty text, a target that is not running, nothing remembered, a target that refuses.
TEST_F(PasteEdgeTest, WithoutTextOrTargetThePasteboardIsUntouched) {
    FocusService fresh(desktop.workspace, desktop.accessibility);
    PasteboardService forgetful({desktop.clock, desktop.pasteboard, desktop.keys, desktop.workspace,
                                 desktop.accessibility, fresh, capture});
    const std::function<QCoro::Task<>()> attempts[] = {
        [&] { return paste(QString()); },
        [&] { return paste(QStringLiteral("Hi"), QStringLiteral("org.example.gone")); },
        [&] { return forgetful.pasteTransient(QStringLiteral("Hi"), std::nullopt, {}); },
        [&] {
            editor.refusesActivation = true;
            return paste(QStringLiteral("Hi"));
        }};
    for (const auto& attempt : attempts) {
        const bool empty = &attempt == attempts;
        SCOPED_TRACE(&attempt - attempts);
        capture.calls.clear();
        auto outcome = startTask(attempt());
        EXPECT_EQ(runToEnd(outcome), 0);
        if (empty) {
            expectError(*outcome, Kind::emptyText, "Nothing to paste.");
            EXPECT_TRUE(capture.calls.isEmpty());
        } else {
            expectError(*outcome, Kind::pasteTargetUnavailable, "No app to paste into.");
            expectHandshakeAroundEveryWrite();
        }
        EXPECT_EQ(desktop.pasteboard.changeCount(), initialChangeCount);
        EXPECT_EQ(editor.pasteCount, 0);
    }
}

// Without permission, or when the key events fail; the suppression then runs out by itself.
TEST_F(PasteEdgeTest, APasteThatCannotBeSentLeavesTheResultOnThePasteboard) {
    for (bool trusted : {false, true}) {
        desktop.keys.trusted = trusted;
        desktop.keys.failsToPost = trusted;
        const qint64 start = desktop.clock.nowMs();
        auto outcome = startTask(paste(QStringLiteral("Hi")));
        EXPECT_EQ(runToEnd(outcome) - start, 360);
        expectError(*outcome, Kind::pasteEventFailed, "Could not send paste shortcut.");
        EXPECT_EQ(desktop.pasteboard.plainText(), QStringLiteral("Hi"));
        EXPECT_EQ(capture.count(true) + editor.pasteCount, 0);
        desktop.clock.advance(3499 - 360);
        EXPECT_TRUE(history.isCaptureSuppressed());
        desktop.clock.advance(1);
        EXPECT_FALSE(history.isCaptureSuppressed());
    }
}

// A newer copy (not the pasted text, canonically compared) is kept, cancelled or not; a cancel
// at any step restores, writing nothing during the activation, pasting nothing before Paste.
TEST_F(PasteEdgeTest, ANewerCopyIsKeptAndACancelRestoresAtEveryStep) {
    struct Case {
        qint64 cancelAt;
        const char* meanwhile;
        bool servedLater, kept;
    };
    // clang-format off
    for (const Case& c : {Case{-1, "copied meanwhile", false, true}, Case{-1, "cafe\u0301", false, false},
                          Case{900, "mine", false, true}, Case{50, nullptr, false, false},
                          Case{250, nullptr, false, false}, Case{900, nullptr, false, false},
                          Case{220, nullptr, true, false}}) {
        // clang-format on
        SCOPED_TRACE(c.meanwhile ? c.meanwhile : std::to_string(c.cancelAt).c_str());
        userContent = putUserContent(desktop.pasteboard);  // a new action from the start
        initialChangeCount = desktop.pasteboard.changeCount();
        capture.calls.clear();
        token = CancelToken();
        desktop.pasteboard.setServesLater(c.servedLater);
        const qint64 start = desktop.clock.nowMs();
        const int pastes = editor.pasteCount;
        auto outcome = startTask(paste(QStringLiteral("caf\u00e9"), std::nullopt,
                                       c.servedLater ? kFast : PasteboardTiming::standard()));
        if (c.meanwhile) {
            desktop.clock.advance(900);
            desktop.pasteboard.putText(QString::fromUtf8(c.meanwhile));
        }
        if (c.cancelAt >= 0) {
            cancelAt(start + c.cancelAt, outcome);
            EXPECT_EQ(editor.pasteCount - pastes, c.cancelAt > 360 || c.servedLater ? 1 : 0);
            EXPECT_EQ(desktop.pasteboard.changeCount() == initialChangeCount, c.cancelAt < 180);
        }
        runToEnd(outcome);
        if (c.kept) {
            EXPECT_EQ(desktop.pasteboard.plainText(), QString::fromUtf8(c.meanwhile));
            EXPECT_EQ(history.lastText(), QString::fromUtf8(c.meanwhile));
        } else {
            EXPECT_EQ(desktop.pasteboard.content(), userContent);
        }
        expectHandshakeAroundEveryWrite();
    }
}

// Overlapping actions never interleave their save and restore: each waits its turn, in the
// order asked, and a failed one lets the next run.
TEST_F(PasteEdgeTest, TransactionsRunOneAfterAnotherInTheOrderAsked) {
    auto reading = startTask(read());
    desktop.clock.advance(100);
    auto pasting = startTask(paste(QStringLiteral("Hi")));
    EXPECT_EQ(runToEnd(reading), 380);
    EXPECT_EQ(desktop.pasteboard.content(), userContent);
    EXPECT_EQ(runToEnd(pasting), 380 + 1680);

    desktop.keys.failsToPost = true;
    auto failing = startTask(read(true));
    auto first = startTask(paste(QStringLiteral("1")));
    auto second = startTask(paste(QStringLiteral("2")));
    runToEnd(failing);
    EXPECT_EQ(failing->errorDescription(), QStringLiteral("Could not send copy shortcut."));
    desktop.keys.failsToPost = false;
    runToEnd(second);
    EXPECT_TRUE(first->value && second->value);
    EXPECT_EQ(editor.pastedTexts, QStringList({"Hi", "1", "2"}));
    EXPECT_EQ(desktop.pasteboard.content(), userContent);
}

// A representation without data is left out; an item without any keeps its place.
TEST(PasteboardSnapshotTest, KeepsEveryItemWithTheRepresentationsThatYieldData) {
    SimulatedPasteboard pasteboard;
    const QByteArray png("\0png", 4);
    pasteboard.putItems({{{"text/plain", "plain"}, {"application/x-lazy", {}}, {"image/png", png}},
                         {{"application/x-lazy", {}}}});
    const auto snapshot = PasteboardSnapshot::capture(pasteboard);
    pasteboard.putText(QStringLiteral("other"));
    snapshot.restore(pasteboard);
    const QList<PasteboardValue> kept{{"text/plain", "plain"}, {"image/png", png}};
    EXPECT_EQ(pasteboard.content(), (QList<PasteboardItem>{{kept}, {}}));
}
