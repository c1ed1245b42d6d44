#pragma once

#include <gtest/gtest.h>

#include "capture/FocusService.h"
#include "capture/PasteboardService.h"
#include "capture/PasteboardServiceError.h"
#include "clipboard/ClipboardHistoryService.h"
#include "core/CancelledError.h"
#include "platform/MemoryDefaults.h"
#include "support/QtPrinters.h"
#include "support/SimulatedDesktop.h"
#include "support/TaskProbe.h"

// The kind of a PasteboardServiceError; fails the test for any other error.
inline std::optional<PasteboardServiceErrorKind> errorKind(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const PasteboardServiceError& e) {
        return e.kind();
    } catch (...) {
        return std::nullopt;
    }
}

inline bool isCancellation(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const CancelledError&) {
        return true;
    } catch (...) {
        return false;
    }
}

// The clipboard history, with every handshake call and the pasteboard's change count at that
// moment written down.
class RecordingCapture : public ClipboardCapture {
public:
    RecordingCapture(ClipboardHistoryService& history, SimulatedDesktop& desktop)
        : history_(history), desktop_(desktop) {}

    struct Call {
        bool finish;
        double seconds;
        qint64 changeCount;
        qint64 atMs;
    };
    QList<Call> calls;

    void suppressCapture(double seconds) override {
        calls.append({false, seconds, desktop_.pasteboard.changeCount(), desktop_.clock.nowMs()});
        history_.suppressCapture(seconds);
    }
    void finishTransientPasteboardUse() override {
        calls.append({true, 0, desktop_.pasteboard.changeCount(), desktop_.clock.nowMs()});
        history_.finishTransientPasteboardUse();
    }

    int finishCount() const {
        return int(
            std::count_if(calls.begin(), calls.end(), [](const Call& c) { return c.finish; }));
    }

private:
    ClipboardHistoryService& history_;
    SimulatedDesktop& desktop_;
};

// A desktop with an editor (remembered as the target) and the app's own panel in front, and a
// user pasteboard of plain text, rich text and an image.
class CaptureTest : public ::testing::Test {
protected:
    SimulatedDesktop desktop;
    MemoryDefaults historyStore;
    ClipboardHistoryService history{desktop.pasteboard, desktop.clock, historyStore};
    RecordingCapture capture{history, desktop};
    FocusService focus{desktop.workspace, desktop.accessibility};
    PasteboardService service{{desktop.clock, desktop.pasteboard, desktop.keys, desktop.workspace,
                               desktop.accessibility, focus, capture}};
    SimulatedApp& editor = desktop.launch(QStringLiteral("org.example.editor"));
    SimulatedApp& panel = desktop.launch(QStringLiteral("ai.nivelo.native"));
    qint64 initialChangeCount = 0;

    static QList<SimulatedPasteboardItem> userItems() {
        const QByteArray png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01", 20);
        return {{{QStringLiteral("text/plain"), QByteArray("user text")},
                 {QStringLiteral("text/html"), QByteArray("<b>user</b> text")}},
                {{QStringLiteral("image/png"), png}}};
    }
    static QList<PasteboardItem> userContent() {
        QList<PasteboardItem> out;
        for (const auto& item : userItems()) {
            PasteboardItem copy;
            for (const auto& value : item) {
                copy.values.append({value.type, *value.data});
            }
            out.append(copy);
        }
        return out;
    }

    void SetUp() override {
        desktop.pasteboard.putItems(userItems());
        editor.setText(QStringLiteral("Hello world"), 0, 5);
        desktop.bringToFront(editor.pid);
        desktop.bringToFront(panel.pid);
        VirtualClock::flushEvents();
        ASSERT_EQ(focus.rememberedProcessIdentifier(), editor.pid);
        initialChangeCount = desktop.pasteboard.changeCount();
    }

    // Runs the virtual clock until the task is over; returns the virtual time it ended at.
    template <typename T>
    qint64 runToEnd(const std::shared_ptr<TaskOutcome<T>>& outcome) {
        while (!outcome->done && desktop.clock.runNext()) {
        }
        EXPECT_TRUE(outcome->done);
        return desktop.clock.nowMs();
    }

    QCoro::Task<QString> read(bool selectAll = false, bool fallback = true,
                              PasteboardTiming timing = PasteboardTiming::standard(),
                              CancelToken token = {}) {
        return service.readSelectedTextTransient(selectAll, fallback, timing, token);
    }
    QCoro::Task<> paste(QString text, std::optional<QString> target = std::nullopt,
                        PasteboardTiming timing = PasteboardTiming::standard(),
                        CancelToken token = {}) {
        return service.pasteTransient(std::move(text), std::move(target), timing, token);
    }

    // Suppressed with 3.5 s before the first write, finished exactly once after the last.
    void expectHandshakeAroundEveryWrite() {
        ASSERT_FALSE(capture.calls.isEmpty());
        const auto& first = capture.calls.first();
        EXPECT_FALSE(first.finish);
        EXPECT_DOUBLE_EQ(first.seconds, 3.5);
        EXPECT_EQ(first.changeCount, initialChangeCount);
        EXPECT_EQ(capture.finishCount(), 1);
        EXPECT_TRUE(capture.calls.last().finish);
        EXPECT_EQ(capture.calls.last().changeCount, desktop.pasteboard.changeCount());
        for (const auto& call : capture.calls) {
            if (!call.finish) {
                EXPECT_DOUBLE_EQ(call.seconds, 3.5);
            }
        }
        EXPECT_FALSE(history.isCaptureSuppressed());
    }
};
