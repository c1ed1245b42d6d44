#include <gtest/gtest.h>

#include <QProcess>
#include <QThread>
#include <atomic>
#include <optional>
#include <thread>
#include <vector>

#include "capture/PasteboardSnapshot.h"
#include "clipboard/ClipboardHistoryService.h"
#include "platform/MemoryDefaults.h"
#include "platform/RealClock.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11SelectionOwner.h"
#include "support/XSession.h"
#include "x11/X11TestSupport.h"

#include "platform/x11/Xlib.h"

namespace {
// Puts `bytes` on the clipboard as the only text target, owned by xclip.
void offerOnly(const QString& target, const QByteArray& bytes) {
    xcb_connection_t* connection = X11SelectionOwner::qtConnection();
    const quint32 before = X11SelectionOwner::ownerWindow(connection, "CLIPBOARD");
    QProcess xclip;
    xclip.setProcessEnvironment(x11Session().environment());
    xclip.start("xclip", {"-selection", "clipboard", "-i", "-t", target});
    xclip.write(bytes);
    xclip.closeWriteChannel();
    xclip.waitForFinished(5000);
    // xclip's parent leaves before its child's take reaches the server: wait for a new owner
    // (there may have been none before). Waiting runs no event loop of ours: a reader that
    // asked us meanwhile would hang.
    for (int tries = 0; tries < 500; ++tries) {
        const quint32 owner = X11SelectionOwner::ownerWindow(connection, "CLIPBOARD");
        if (owner != 0 && owner != before && !X11SelectionOwner::ownedBy(connection, "CLIPBOARD")) {
            break;
        }
        QThread::msleep(10);
    }
}

// Another client that owns the clipboard with fixed targets and bytes, answering on a thread
// and connection of its own, as GTK does: its string targets differ from its MIME text.
class OtherOwner {
public:
    explicit OtherOwner(QList<std::pair<QByteArray, QByteArray>> values)
        : values_(std::move(values)),
          display_(XOpenDisplay(DisplayString(X11SelectionOwner::qtDisplay()))) {
        window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
        XSetSelectionOwner(display_, atom("CLIPBOARD"), window_, CurrentTime);
        XSync(display_, False);
        thread_ = std::thread([this] {
            while (!stop_) {
                while (XPending(display_) > 0) {
                    XEvent event;
                    XNextEvent(display_, &event);
                    if (event.type == SelectionRequest) {
                        answer(event.xselectionrequest);
                    }
                }
                QThread::msleep(5);
            }
        });
    }
    ~OtherOwner() {
        stop_ = true;
        thread_.join();
        XCloseDisplay(display_);
    }

private:
    Atom atom(const char* name) const { return XInternAtom(display_, name, False); }
    void answer(const XSelectionRequestEvent& request) {
        XEvent reply{};
        reply.xselection = {
            SelectionNotify, 0,    True,        display_, request.requestor, request.selection,
            request.target,  None, request.time};
        const Atom property = request.property != None ? request.property : request.target;
        char* name = XGetAtomName(display_, request.target);
        const QByteArray target(name);
        XFree(name);
        if (target == "TARGETS") {
            std::vector<Atom> targets{atom("TARGETS")};
            for (const auto& value : values_) {
                targets.push_back(atom(value.first.constData()));
            }
            XChangeProperty(display_, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<unsigned char*>(targets.data()), int(targets.size()));
            reply.xselection.property = property;
        }
        for (const auto& [type, bytes] : values_) {
            if (type == target) {
                XChangeProperty(
                    display_, request.requestor, property, request.target, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(bytes.data()), int(bytes.size()));
                reply.xselection.property = property;
            }
        }
        XSendEvent(display_, request.requestor, False, NoEventMask, &reply);
        XFlush(display_);
    }

    QList<std::pair<QByteArray, QByteArray>> values_;
    Display* display_;
    Window window_ = 0;
    std::atomic<bool> stop_ = false;
    std::thread thread_;
};

bool waitForChange(const X11Pasteboard& pasteboard, qint64 from) {
    return XSession::waitUntil([&] { return pasteboard.changeCount() != from; }, 15000);
}
}  // namespace

// Another client owns text: the snapshot sees it and no selection-protocol target.
TEST(X11Pasteboard, ReadsAnotherOwnersTextWithoutProtocolTargets) {
    X11Pasteboard pasteboard;
    const qint64 before = pasteboard.changeCount();
    x11Session().setClipboardText("from the user");
    ASSERT_TRUE(waitForChange(pasteboard, before));

    EXPECT_EQ(pasteboard.plainText(), QString("from the user"));
    EXPECT_EQ(pasteboard.itemCount(), 1);
    const QStringList types = pasteboard.itemTypes(0);
    EXPECT_TRUE(types.contains("text/plain")) << types.join(' ').toStdString();
    for (const char* protocol : {"TARGETS", "MULTIPLE", "TIMESTAMP", "SAVE_TARGETS", "DELETE"}) {
        EXPECT_FALSE(types.contains(protocol)) << protocol;
    }
    EXPECT_EQ(pasteboard.itemData(0, "text/plain"), QByteArray("from the user"));
}

// An image on the clipboard comes back byte for byte after a snapshot and restore, and the
// restore is served to other clients by us.
TEST(X11Pasteboard, SnapshotRestoresAnImageByteForByte) {
    const QByteArray png = writePng("picture.png");
    ASSERT_FALSE(png.isEmpty());
    X11Pasteboard pasteboard;
    const qint64 before = pasteboard.changeCount();
    x11Session().setClipboardImage(x11Session().path("picture.png"));
    ASSERT_TRUE(waitForChange(pasteboard, before));

    const PasteboardSnapshot snapshot = PasteboardSnapshot::capture(pasteboard);
    ASSERT_EQ(snapshot.items.size(), 1);
    bool hasPng = false;
    for (const PasteboardValue& value : snapshot.items[0].values) {
        hasPng = hasPng || (value.type == "image/png" && value.data == png);
        EXPECT_NE(value.type, "application/x-qt-image");
    }
    EXPECT_TRUE(hasPng);

    pasteboard.clear();
    pasteboard.setPlainText("pasted result");
    EXPECT_EQ(x11Session().clipboardData("UTF8_STRING"), QByteArray("pasted result"));

    snapshot.restore(pasteboard);
    EXPECT_EQ(x11Session().clipboardData("image/png"), png);
}

// A restore gives back every target of another owner byte for byte: its MIME text with CR LF,
// its UTF-8 and Latin-1 strings as they were (a paste reads LF), and a binary type.
TEST(X11Pasteboard, SnapshotRestoresAnotherOwnersTextsAndDataByteForByte) {
    const QList<std::pair<QByteArray, QByteArray>> values{
        {"UTF8_STRING", "line one\nline two\n"},
        {"text/plain", "line one\r\nline two\r\n"},
        {"STRING", "caf\xe9\r\n"},
        {"application/x-nivelo-test", QByteArray("\0\x01\xff\r\n\x80 end", 10)},
    };
    X11Pasteboard pasteboard;
    const qint64 before = pasteboard.changeCount();
    std::optional<PasteboardSnapshot> snapshot;
    {
        const OtherOwner owner(values);
        ASSERT_TRUE(waitForChange(pasteboard, before));
        // Another owner's content is read aside; an action waits for it in the event loop.
        ASSERT_TRUE(XSession::waitUntil([&] { return !pasteboard.contentPending(); }));
        snapshot = PasteboardSnapshot::capture(pasteboard);
        pasteboard.clear();
        pasteboard.setPlainText("pasted result");
    }
    snapshot->restore(pasteboard);
    for (const auto& [target, bytes] : values) {
        EXPECT_EQ(x11Session().clipboardData(target), bytes) << target.constData();
    }
    EXPECT_EQ(pasteboard.plainText(), QString("line one\nline two\n"));
}

// Our own writes move the change count at once; another owner moves it once Qt hears of it.
TEST(X11Pasteboard, ChangeCountMovesOnOurWritesAndOnNewOwners) {
    X11Pasteboard pasteboard;
    qint64 count = pasteboard.changeCount();
    pasteboard.setPlainText("one");
    EXPECT_GT(pasteboard.changeCount(), count);
    count = pasteboard.changeCount();
    pasteboard.clear();
    EXPECT_GT(pasteboard.changeCount(), count);
    count = pasteboard.changeCount();
    pasteboard.writeItems({PasteboardItem{{PasteboardValue{"text/plain", "two"}}}});
    EXPECT_GT(pasteboard.changeCount(), count);

    // Not ours while xclip checks what it wrote.
    pasteboard.clear();
    count = pasteboard.changeCount();
    x11Session().setClipboardText("three");
    EXPECT_TRUE(waitForChange(pasteboard, count));
    EXPECT_EQ(pasteboard.plainText(), QString("three"));
}

// A paste is served when another client fetches a text target of what we wrote; our own
// reads and a fetch of the target list do not count.
TEST(X11Pasteboard, NotesWhenAnotherClientFetchesTheText) {
    X11Pasteboard pasteboard;
    pasteboard.clear();
    pasteboard.setPlainText("result");
    EXPECT_FALSE(pasteboard.lastWriteTextServed());

    EXPECT_EQ(pasteboard.plainText(), QString("result"));
    EXPECT_TRUE(PasteboardSnapshot::capture(pasteboard).items.size() == 1);
    EXPECT_FALSE(x11Session().clipboardData("TARGETS").isEmpty());
    EXPECT_FALSE(pasteboard.lastWriteTextServed());

    EXPECT_EQ(x11Session().clipboardData("UTF8_STRING"), QByteArray("result"));
    EXPECT_TRUE(pasteboard.lastWriteTextServed());

    // The next write starts afresh.
    pasteboard.setPlainText("another");
    EXPECT_FALSE(pasteboard.lastWriteTextServed());
}

// A GTK3 editor offers its copy as UTF8_STRING with LF and as text/plain;charset=utf-8 with
// CR LF: we read what its own paste reads, LF.
TEST(X11PasteboardText, ReadsAGtkCopyWithItsOwnLineEnds) {
    X11Pasteboard pasteboard;
    x11Session().start("mousepad", {});
    const QString window = x11Session().waitForWindow("Mousepad", 15000);
    ASSERT_FALSE(window.isEmpty());
    x11Session().activate(window);
    pause(500);
    x11Session().type("line one");
    x11Session().key("Return");
    x11Session().type("line two");
    x11Session().key("ctrl+a");
    x11Session().key("ctrl+c");
    ASSERT_TRUE(XSession::waitUntil(
        [] {
            return x11Session().clipboardData("text/plain;charset=utf-8") == "line one\r\nline two";
        },
        20000));

    EXPECT_TRUE(XSession::waitUntil([&] { return pasteboard.plainText() == "line one\nline two"; }))
        << pasteboard.plainText().value_or("(none)").toStdString();
}

// Owners that serve one text target: the MIME type's CR LF reads as LF; UTF8_STRING is taken
// exactly, whatever its line ends.
TEST(X11PasteboardText, ReadsEachTextTargetAsAPasteWould) {
    struct Case {
        const char* target;
        QByteArray served;
        QString read;
    };
    const Case cases[] = {
        {"text/plain;charset=utf-8", "one\r\ntwo\r\n", "one\ntwo\n"},
        {"UTF8_STRING", "one\r\ntwo", "one\r\ntwo"},
        {"UTF8_STRING", "one\ntwo", "one\ntwo"},
    };
    X11Pasteboard pasteboard;
    for (const Case& c : cases) {
        offerOnly(c.target, c.served);
        EXPECT_TRUE(XSession::waitUntil([&] { return pasteboard.plainText() == c.read; }))
            << c.target << ": " << pasteboard.plainText().value_or("(none)").toStdString();
    }
}

// Our own text keeps its line ends, read by us and served to others.
TEST(X11PasteboardText, OurTextKeepsItsLineEnds) {
    X11Pasteboard pasteboard;
    const QString text = "a\nb\r\nc\n";
    pasteboard.clear();
    pasteboard.setPlainText(text);
    EXPECT_EQ(pasteboard.plainText(), text);
    EXPECT_EQ(x11Session().clipboardData("UTF8_STRING"), text.toUtf8());
    EXPECT_EQ(x11Session().clipboardData("text/plain"), text.toUtf8());
}

// Qt takes the clipboard with the time of the last event it handled. A copy another client
// made since, whose news we have not handled yet (a busy machine), must not make our write or
// our restore go unheard. Nothing here runs our event loop between the copy and our write.
TEST(X11Pasteboard, OurWriteTakesTheClipboardFromALaterCopy) {
    X11Pasteboard pasteboard;
    for (const char* copied : {"first copy", "second copy"}) {
        offerOnly("UTF8_STRING", copied);
        ASSERT_EQ(x11Session().run("xclip", {"-selection", "clipboard", "-o"}), copied);
        pasteboard.setPlainText("ours");
        EXPECT_EQ(x11Session().clipboardData("UTF8_STRING"), QByteArray("ours")) << copied;
    }
}

// A client that owns the clipboard through a window that names no process (xclip; LibreOffice
// does it on a connection of its own) is still known by its process; so are we.
TEST(X11Pasteboard, TheClipboardOwnersProcessIsKnown) {
    X11Pasteboard pasteboard;
    const qint64 before = pasteboard.changeCount();
    QProcess* xclip = x11Session().start("xclip", {"-selection", "clipboard", "-i", "-quiet"});
    xclip->write("owned by xclip");
    xclip->closeWriteChannel();
    ASSERT_TRUE(XSession::waitUntil([&] { return pasteboard.changeCount() != before; }, 20000));
    EXPECT_EQ(pasteboard.ownerProcessIdentifier(), std::optional<qint64>(xclip->processId()));

    pasteboard.clear();
    EXPECT_EQ(pasteboard.ownerProcessIdentifier(), std::nullopt);
    pasteboard.setPlainText("ours");
    EXPECT_EQ(pasteboard.ownerProcessIdentifier(),
              std::optional<qint64>(QCoreApplication::applicationPid()));
}

// A Qt application whose copy comes late takes the clipboard with the time it learnt from our
// take of it, equal to ours: the server gives it the clipboard and Qt here does not notice.
// The change count, the owner and the text follow the server, and the history records it.
TEST(X11Pasteboard, AQtCopyWithATimeEqualToOursIsSeen) {
    X11Pasteboard pasteboard;
    RealClock clock;
    MemoryDefaults store;
    ClipboardHistoryService history(pasteboard, clock, store);
    const QString window = startTestEditor(
        x11Session().path("equal-time.txt"), "Equal time", 1,
        {"--text", "Copied the Qt way", "--copy-delay", "300", "--copy-time", "qt"});
    ASSERT_FALSE(window.isEmpty());
    const qint64 pid = x11Session().xdotool({"getwindowpid", window}).trimmed().toLongLong();
    ASSERT_TRUE(x11Session().activate(window));
    x11Session().key("ctrl+a");
    x11Session().key("ctrl+c");
    ASSERT_TRUE(XSession::waitUntil(
        [&] { return pasteboard.ownerProcessIdentifier() == std::optional<qint64>(pid); }));

    // Its next copy is under way when we take the clipboard from it.
    x11Session().key("ctrl+c");
    pasteboard.setPlainText("ours");
    history.poll();
    pause(100);
    ASSERT_EQ(pasteboard.ownerProcessIdentifier(), QCoreApplication::applicationPid());
    const qint64 count = pasteboard.changeCount();

    EXPECT_TRUE(XSession::waitUntil([&] { return pasteboard.changeCount() > count; }));
    EXPECT_EQ(pasteboard.ownerProcessIdentifier(), std::optional<qint64>(pid));
    EXPECT_FALSE(pasteboard.ownsClipboard());
    EXPECT_EQ(pasteboard.plainText(), QString("Copied the Qt way"));
    // The history takes the text once it has been read aside.
    history.poll();
    EXPECT_TRUE(XSession::waitUntil([&] {
        return !history.items().isEmpty() && history.items().first().text == "Copied the Qt way";
    }));
}
