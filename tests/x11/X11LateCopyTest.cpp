#include <gtest/gtest.h>

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QProcess>

#include "capture/FocusService.h"
#include "capture/PasteboardService.h"
#include "clipboard/ClipboardHistoryService.h"
#include "platform/MemoryDefaults.h"
#include "platform/RealClock.h"
#include "platform/x11/AtspiAccessibility.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11KeyEvents.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11Workspace.h"
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

    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(QColor(20, 140, 90));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    const QString file = x11Session().path("late-copy.png");
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(png);
    }

    auto connection = std::make_shared<X11Connection>();
    X11KeyEvents keys(connection);
    X11Pasteboard pasteboard;
    X11Workspace workspace(connection);
    AtspiAccessibility accessibility;
    RealClock clock;
    MemoryDefaults store;
    ClipboardHistoryService history(pasteboard, clock, store);
    FocusService focus(workspace, accessibility);
    PasteboardService service({clock, pasteboard, keys, workspace, accessibility, focus, history});

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
            5000));
        x11Session().key("ctrl+a");
        x11Session().setClipboardImage(file);
        ASSERT_EQ(fetchClipboard("image/png"), png);

        auto outcome = startTask(service.readSelectedTextTransient(
            false, false, c.fast ? PasteboardTiming::fast() : PasteboardTiming::standard()));
        ASSERT_TRUE(XSession::waitUntil([&] { return outcome->done; }, 5000));
        // Every late copy lands within 2 s of the read's end.
        XSession::waitUntil([] { return false; }, 2200);
        EXPECT_GE(service.restoreGuard().undoneCount(), 1);
        EXPECT_EQ(fetchClipboard("image/png"), png);
        EXPECT_NE(fetchClipboard("UTF8_STRING"), QByteArray("Hello world"));
    }
}

// A client that owns the clipboard through a window that names no process (xclip; LibreOffice
// does it on a connection of its own) is still known by its process; so are we.
TEST(X11LateCopy, TheClipboardOwnersProcessIsKnown) {
    X11Pasteboard pasteboard;
    const qint64 before = pasteboard.changeCount();
    QProcess* xclip = x11Session().start("xclip", {"-selection", "clipboard", "-i", "-quiet"});
    xclip->write("owned by xclip");
    xclip->closeWriteChannel();
    ASSERT_TRUE(XSession::waitUntil([&] { return pasteboard.changeCount() != before; }, 3000));
    EXPECT_EQ(pasteboard.ownerProcessIdentifier(), std::optional<qint64>(xclip->processId()));

    pasteboard.clear();
    EXPECT_EQ(pasteboard.ownerProcessIdentifier(), std::nullopt);
    pasteboard.setPlainText("ours");
    EXPECT_EQ(pasteboard.ownerProcessIdentifier(),
              std::optional<qint64>(QCoreApplication::applicationPid()));
}
