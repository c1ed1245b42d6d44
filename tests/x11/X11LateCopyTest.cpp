#include <gtest/gtest.h>

#include "support/TaskProbe.h"
#include "support/XSession.h"
#include "x11/X11TestSupport.h"

// An editor that answers Copy late, after our read gave the user's image back: the late copy
// does not stay on the clipboard.
TEST(X11LateCopy, ASlowEditorsCopyIsUndone) {
    struct Case {
        int copyDelayMs;
        bool fast;
    };
    // The first read takes its text from an earlier Copy; the second fails before any lands.
    const Case cases[] = {{400, false}, {1500, true}};

    const QByteArray png = writePng("late-copy.png");
    ASSERT_FALSE(png.isEmpty());
    RealCapture capture;
    FocusService& focus = capture.focus;
    PasteboardService& service = capture.service;

    for (const Case& c : cases) {
        SCOPED_TRACE(c.copyDelayMs);
        const QString title = QStringLiteral("Slow copier %1").arg(c.copyDelayMs);
        const QString window = startTestEditor(
            x11Session().path("slow.txt"), title, 1,
            {"--text", "Hello world", "--copy-delay", QString::number(c.copyDelayMs)});
        ASSERT_FALSE(window.isEmpty());
        x11Session().activate(window);
        const qint64 pid = x11Session().xdotool({"getwindowpid", window}).trimmed().toLongLong();
        ASSERT_TRUE(XSession::waitUntil(
            [&] { return focus.rememberedProcessIdentifier() == std::optional<qint64>(pid); },
            20000));
        x11Session().key("ctrl+a");
        x11Session().setClipboardImage(x11Session().path("late-copy.png"));
        ASSERT_EQ(x11Session().clipboardData("image/png"), png);

        auto outcome = startTask(service.readSelectedTextTransient(
            false, false, c.fast ? PasteboardTiming::fast() : PasteboardTiming::standard()));
        ASSERT_TRUE(XSession::waitUntil([&] { return outcome->done; }, 20000));
        // Every late copy lands within 2 s of the read's end (the read may have asked twice, so
        // there is no single event to wait for), and is undone.
        pause(2200);
        EXPECT_TRUE(XSession::waitUntil([&] { return service.restoreGuard().undoneCount() >= 1; }));
        EXPECT_EQ(x11Session().clipboardData("image/png"), png);
        EXPECT_NE(x11Session().clipboardData("UTF8_STRING"), QByteArray("Hello world"));
    }
}
