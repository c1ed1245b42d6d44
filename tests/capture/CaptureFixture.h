#pragma once

#include <gtest/gtest.h>

#include "base/CancelledError.h"
#include "capture/PasteboardServiceError.h"
#include "support/CaptureServices.h"
#include "support/QtPrinters.h"
#include "support/TaskProbe.h"

using Kind = PasteboardServiceErrorKind;

template <typename T>
void expectError(const TaskOutcome<T>& outcome, Kind kind, const char* text) {
    ASSERT_TRUE(outcome.done && outcome.error);
    EXPECT_EQ(outcome.errorDescription(), QString::fromUtf8(text));
    try {
        std::rethrow_exception(outcome.error);
    } catch (const PasteboardServiceError& e) {
        EXPECT_EQ(e.kind(), kind);
    } catch (...) {
    }
}

// The clipboard history, with every handshake call and the pasteboard's change count then.
struct RecordingCapture : ClipboardCapture {
    struct Call {
        bool finish;
        double seconds;
        qint64 changeCount;
    };
    RecordingCapture(ClipboardHistoryService& history, SimulatedDesktop& desktop)
        : history(history), desktop(desktop) {}
    void suppressCapture(double seconds) override {
        calls.append({false, seconds, desktop.pasteboard.changeCount()});
        history.suppressCapture(seconds);
    }
    void finishTransientPasteboardUse() override {
        calls.append({true, 0, desktop.pasteboard.changeCount()});
        history.finishTransientPasteboardUse();
    }
    void resumeCapture(qint64 seenChangeCount) override {
        resumed.append(seenChangeCount);
        history.resumeCapture(seenChangeCount);
    }
    QList<qint64> resumed;
    int count(bool finish) const {
        return int(std::count_if(calls.begin(), calls.end(),
                                 [&](const Call& c) { return c.finish == finish; }));
    }
    ClipboardHistoryService& history;
    SimulatedDesktop& desktop;
    QList<Call> calls;
};

// A desktop with an editor (remembered as the target) and the app's own panel in front, and a
// user pasteboard of plain text, rich text and an image.
class CaptureTest : public ::testing::Test {
public:
    SimulatedDesktop desktop;
    MemoryDefaults historyStore;
    ClipboardHistoryService history{desktop.pasteboard, desktop.clock, historyStore};
    RecordingCapture capture{history, desktop};
    FocusService focus{desktop.workspace, desktop.accessibility};
    PasteboardService service{{desktop.clock, desktop.pasteboard, desktop.keys, desktop.workspace,
                               desktop.accessibility, focus, capture}};
    SimulatedApp& editor = desktop.launch(QStringLiteral("org.example.editor"));
    SimulatedApp& panel = desktop.launch(QStringLiteral("ai.nivelo.native"));
    QList<PasteboardItem> userContent;
    qint64 initialChangeCount = 0;
    CancelToken token;
    std::optional<FocusTarget> readTarget;

    void SetUp() override {
        userContent = putUserContent(desktop.pasteboard);
        editor.setText(QStringLiteral("Hello world"), 0, 5);
        desktop.bringToFront(editor.pid);
        desktop.bringToFront(panel.pid);
        VirtualClock::flushEvents();
        ASSERT_EQ(focus.rememberedProcessIdentifier(), editor.pid);
        initialChangeCount = desktop.pasteboard.changeCount();
    }

    // The text read; where it was read from goes to readTarget.
    QCoro::Task<QString> read(bool selectAll = false, bool fallback = true,
                              PasteboardTiming timing = PasteboardTiming::standard()) {
        const SelectionRead result =
            co_await service.readSelectedTextTransient(selectAll, fallback, timing, token);
        readTarget = result.target;
        co_return result.text;
    }
    QCoro::Task<> paste(QString text, std::optional<QString> target = std::nullopt,
                        PasteboardTiming timing = PasteboardTiming::standard()) {
        return service.pasteTransient(std::move(text), std::move(target), timing, token);
    }

    // Runs the virtual clock until the task is over; returns the virtual time it ended at.
    template <typename T>
    qint64 runToEnd(const std::shared_ptr<TaskOutcome<T>>& outcome) {
        while (!outcome->done && desktop.clock.runNext()) {
        }
        EXPECT_TRUE(outcome->done);
        return desktop.clock.nowMs();
    }
    // Cancels the task at that virtual time: it ends at once with the cancellation.
    template <typename T>
    void cancelAt(qint64 ms, const std::shared_ptr<TaskOutcome<T>>& outcome) {
        desktop.clock.advance(ms - desktop.clock.nowMs());
        EXPECT_FALSE(outcome->done);
        token.cancel();
        EXPECT_TRUE(outcome->done);
        EXPECT_EQ(outcome->errorDescription(), CancelledError().description());
    }

    // A second instance of the editor, with "second" selected, remembered as the target.
    SimulatedApp& rememberSecondEditor() {
        auto& second = desktop.launch(QStringLiteral("org.example.editor"));
        second.setText(QStringLiteral("second one"), 0, 6);
        desktop.bringToFront(second.pid);
        VirtualClock::flushEvents();
        EXPECT_EQ(focus.rememberedProcessIdentifier(), second.pid);
        return second;
    }

    // Suppressed with 3.5 s before the first write, finished exactly once after the last.
    // A read then watches for late copies, with capture suppressed for that while.
    void expectHandshakeAroundEveryWrite() { expectHandshakeAroundEveryWrite(service); }
    void expectHandshakeAroundEveryWrite(PasteboardService& reader) {
        auto calls = capture.calls;
        const bool watching = reader.restoreGuard().isRunning();
        if (watching) {
            ASSERT_FALSE(calls.isEmpty());
            EXPECT_FALSE(calls.last().finish);
            EXPECT_EQ(calls.last().seconds, ClipboardRestoreGuard::kGuardMs / 1000.0);
            calls.removeLast();
        }
        ASSERT_FALSE(calls.isEmpty());
        EXPECT_FALSE(calls.first().finish);
        EXPECT_EQ(calls.first().changeCount, initialChangeCount);
        EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const auto& c) { return c.finish; }),
                  1);
        EXPECT_TRUE(calls.last().finish);
        EXPECT_EQ(calls.last().changeCount, desktop.pasteboard.changeCount());
        for (const auto& call : calls) {
            EXPECT_TRUE(call.finish || call.seconds == 3.5);
        }
        EXPECT_EQ(history.isCaptureSuppressed(), watching);
    }
    // Every item and type the user had, byte for byte, and the handshake around the writes.
    void expectUserPasteboardBack() {
        EXPECT_EQ(desktop.pasteboard.content(), userContent);
        expectHandshakeAroundEveryWrite();
    }
};
