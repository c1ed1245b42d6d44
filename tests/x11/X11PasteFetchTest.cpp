#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "support/TaskProbe.h"
#include "support/XSession.h"
#include "x11/X11TestSupport.h"

#include "platform/x11/Xlib.h"

namespace {
// A client asking for the clipboard's text on a connection of its own and taking it only when
// told, as a busy editor does. A paste target has the keyboard focus when it asks; a clipboard
// manager does not.
class Requestor {
public:
    explicit Requestor(bool focused) : display_(XOpenDisplay(nullptr)), focused_(focused) {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        window_ =
            XCreateWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, CopyFromParent,
                          InputOutput, CopyFromParent, CWOverrideRedirect, &attributes);
        property_ = XInternAtom(display_, "SLOW_TARGET", False);
        if (focused_) {
            XMapWindow(display_, window_);
            XSync(display_, False);
        }
    }
    ~Requestor() {
        XDestroyWindow(display_, window_);
        XCloseDisplay(display_);
    }

    void ask() {
        if (focused_) {
            XSetInputFocus(display_, window_, RevertToPointerRoot, CurrentTime);
        }
        XConvertSelection(display_, XInternAtom(display_, "CLIPBOARD", False),
                          XInternAtom(display_, "UTF8_STRING", False), property_, window_,
                          CurrentTime);
        XFlush(display_);
    }
    // Whether the owner has written the answer.
    bool answered() {
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            answered_ = answered_ || event.type == SelectionNotify;
        }
        return answered_;
    }
    // Takes the answer, deleting the property as a requestor does.
    QByteArray take() {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        QByteArray bytes;
        if (XGetWindowProperty(display_, window_, property_, 0, 0x1fffffff, True, AnyPropertyType,
                               &type, &format, &count, &after, &data) == Success &&
            data) {
            bytes = QByteArray(reinterpret_cast<const char*>(data), int(count));
            XFree(data);
        }
        XFlush(display_);
        return bytes;
    }

private:
    Display* display_;
    bool focused_;
    Window window_ = 0;
    Atom property_ = 0;
    bool answered_ = false;
};

// The paste target, asking on Paste. With a clipboard manager, the manager asks then and the
// target only when the test says (a busy target's fetch comes late).
class SlowTarget : public KeyEvents {
public:
    bool canPostEvents() const override { return true; }
    bool postKey(quint16 keyCode, KeyModifiers, bool down) override {
        if (keyCode == KeyCode::V && !down) {
            if (manager) {
                manager->ask();
            } else {
                editor.ask();
            }
        }
        return true;
    }
    KeyModifiers heldModifiers() const override { return {}; }

    Requestor editor{true};
    std::unique_ptr<Requestor> manager;
};

// One running application, already active.
class TargetWorkspace : public Workspace {
public:
    QList<RunningApplication> runningApplications() const override { return {target}; }
    std::optional<RunningApplication> frontmostApplication() const override { return target; }
    bool activate(qint64) override { return true; }
    bool openUrl(const QUrl&) override { return false; }
    qint64 ownProcessIdentifier() const override { return 1; }
    RunningApplication target{4242, "org.example.slow", "Slow", ""};
};

}  // namespace

class X11PasteFetch : public ::testing::Test {
protected:
    void SetUp() override {
        pasteboard.followFetches(capture.connection);
        pasteboard.clear();
        pasteboard.setPlainText("user text");
    }
    std::shared_ptr<TaskOutcome<void>> paste() {
        return startTask(
            service.pasteTransient(answer, QString("org.example.slow"), PasteboardTiming::fast()));
    }

    SlowTarget target;
    TargetWorkspace workspace;
    RealCapture capture{&target, &workspace};
    X11Pasteboard& pasteboard = capture.clipboard;
    PasteboardService& service = capture.service;
    const QString answer = QString("0123456789abcdef").repeated(65536);
};

// The target asks for a 1 MB answer at once and takes it only 600 ms later: the user's
// clipboard comes back after it took the text, not when it asked.
TEST_F(X11PasteFetch, TheRestoreWaitsUntilTheTargetTookTheText) {
    auto outcome = paste();
    ASSERT_TRUE(XSession::waitUntil([&] { return target.editor.answered(); }));
    pause(600);
    EXPECT_FALSE(outcome->done);
    EXPECT_TRUE(pasteboard.plainText() == answer);

    EXPECT_TRUE(target.editor.take() == answer.toUtf8());
    QElapsedTimer sinceTaken;
    sinceTaken.start();
    ASSERT_TRUE(XSession::waitUntil([&] { return outcome->done; }, 20000));
    EXPECT_LT(sinceTaken.elapsed(), 700);
    EXPECT_FALSE(outcome->error);
    EXPECT_EQ(pasteboard.plainText(), QString("user text"));
}

// A target that asks and never takes the text has stopped fetching: the user's clipboard
// comes back about a second later.
TEST_F(X11PasteFetch, ATargetThatNeverTakesTheTextHoldsTheRestoreForASecond) {
    auto outcome = paste();
    ASSERT_TRUE(XSession::waitUntil([&] { return target.editor.answered(); }));
    QElapsedTimer sinceAsked;
    sinceAsked.start();
    ASSERT_TRUE(XSession::waitUntil([&] { return outcome->done; }, 20000));
    EXPECT_GT(sinceAsked.elapsed(), 800);
    EXPECT_LT(sinceAsked.elapsed(), 2000);
    EXPECT_EQ(pasteboard.plainText(), QString("user text"));
}

// A clipboard manager fetches every new content at once and takes it whole: the restore still
// waits for the target, which asks later.
TEST_F(X11PasteFetch, AClipboardManagersFetchIsNotThePasteTargets) {
    target.manager = std::make_unique<Requestor>(false);
    auto outcome = paste();
    ASSERT_TRUE(XSession::waitUntil([&] { return target.manager->answered(); }));
    EXPECT_TRUE(target.manager->take() == answer.toUtf8());
    pause(600);
    EXPECT_FALSE(outcome->done);
    target.editor.ask();
    ASSERT_TRUE(XSession::waitUntil([&] { return target.editor.answered(); }));
    EXPECT_TRUE(target.editor.take() == answer.toUtf8());
    ASSERT_TRUE(XSession::waitUntil([&] { return outcome->done; }, 20000));
    EXPECT_EQ(pasteboard.plainText(), QString("user text"));
}
