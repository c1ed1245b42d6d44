#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <csignal>

#include "E2eRoadOptions.h"

// After every Qt header.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

// A clipboard manager as the desktop's run it, reduced to the hand-over: it owns
// CLIPBOARD_MANAGER and, asked to SAVE_TARGETS, fetches the clipboard's image/png from its
// owner before it answers.
class FakeClipboardManager {
public:
    explicit FakeClipboardManager(const QString& display)
        : display_(XOpenDisplay(display.toLocal8Bit().constData())) {
        if (!display_) {
            return;
        }
        window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
        XSetSelectionOwner(display_, atom("CLIPBOARD_MANAGER"), window_, CurrentTime);
        XSync(display_, False);
    }
    ~FakeClipboardManager() {
        if (display_) {
            XCloseDisplay(display_);
        }
    }
    bool isRunning() const {
        return display_ && XGetSelectionOwner(display_, atom("CLIPBOARD_MANAGER")) == window_;
    }

    // Handles what has arrived; the saved image once the hand-over happened.
    void poll() {
        while (display_ && XPending(display_)) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == SelectionRequest &&
                event.xselectionrequest.target == atom("SAVE_TARGETS")) {
                saved = fetch(atom("image/png"));
                answer(event.xselectionrequest);
                ++handOvers;
            }
        }
    }

    QByteArray saved;
    int handOvers = 0;

private:
    Atom atom(const char* name) const { return XInternAtom(display_, name, False); }

    QByteArray fetch(Atom target) {
        const Atom property = atom("NIVELO_TEST_SAVED");
        XConvertSelection(display_, atom("CLIPBOARD"), target, property, window_, CurrentTime);
        XFlush(display_);
        XEvent event;
        const bool notified = XSession::waitUntil(
            [&] { return XCheckTypedWindowEvent(display_, window_, SelectionNotify, &event); },
            20000);
        if (!notified || event.xselection.property == None) {
            return {};
        }
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(display_, window_, property, 0, 1 << 20, True, AnyPropertyType, &type,
                           &format, &count, &after, &data);
        QByteArray bytes(reinterpret_cast<const char*>(data), int(count * (format / 8)));
        XFree(data);
        return bytes;
    }

    void answer(const XSelectionRequestEvent& request) {
        XEvent reply{};
        reply.xselection.type = SelectionNotify;
        reply.xselection.requestor = request.requestor;
        reply.xselection.selection = request.selection;
        reply.xselection.target = request.target;
        reply.xselection.property = request.property;
        reply.xselection.time = request.time;
        XSendEvent(display_, request.requestor, False, NoEventMask, &reply);
        XFlush(display_);
    }

    Display* display_ = nullptr;
    Window window_ = 0;
};

QByteArray pngBytes() {
    QImage image(7, 4, QImage::Format_RGB32);
    image.fill(Qt::darkYellow);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

bool keeperRuns(const QString& display) {
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile cmdline("/proc/" + entry + "/cmdline");
        QFile environ("/proc/" + entry + "/environ");
        if (cmdline.open(QIODevice::ReadOnly) && environ.open(QIODevice::ReadOnly) &&
            cmdline.readAll().contains("--keep-clipboard") &&
            environ.readAll().split('\0').contains(("DISPLAY=" + display).toUtf8())) {
            return true;
        }
    }
    return false;
}

}  // namespace

// With a clipboard manager on the desktop, nivelo quitting while it owns the clipboard hands
// the user's image to the manager (ICCCM SAVE_TARGETS) and leaves no keeper of its own.
TEST(ClipboardManager, TakesTheClipboardOverWhenNiveloQuits) {
    NiveloRoad::Options options = e2eRoadOptions();
    options.defaults = {{"nivelo.autoSelectAllBeforeAction", "false"}};
    NiveloRoad road(options);
    ASSERT_TRUE(road.session().isReady()) << road.session().error().toStdString();
    FakeClipboardManager manager(road.session().display());
    ASSERT_TRUE(manager.isRunning());
    const QString window = road.startTestEditor("Managed Editor");
    ASSERT_FALSE(window.isEmpty());
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    road.session().activate(window);
    const QByteArray png = pngBytes();
    const QString file = road.session().path("managed.png");
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(png);
    }
    road.session().setClipboardImage(file);
    road.session().type("one two");
    ASSERT_TRUE(road.waitForEditorText("one two"));
    road.session().key("shift+Home");
    road.pressAltHotKey("1");
    ASSERT_TRUE(road.waitForEditorText("ONE TWO"));
    ASSERT_TRUE(
        XSession::waitUntil([&] { return road.session().clipboardData("image/png") == png; }));

    ::kill(road.nivelo()->processId(), SIGTERM);
    XSession::waitUntil(
        [&] {
            manager.poll();
            return road.nivelo()->state() == QProcess::NotRunning;
        },
        20000);
    EXPECT_EQ(road.nivelo()->state(), QProcess::NotRunning);
    EXPECT_EQ(manager.handOvers, 1);
    EXPECT_EQ(manager.saved, png);
    // The keeper that ran beside nivelo was told to hold nothing: it ends with nivelo.
    EXPECT_TRUE(XSession::waitUntil([&] { return !keeperRuns(road.session().display()); }));
}
