#include <gmock/gmock.h>
#include <QApplication>
#include <QBuffer>
#include <QColor>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QThread>
#include <cstdio>

#include "platform/x11/X11Connection.h"
#include "support/XSession.h"
#include "x11/X11TestSupport.h"

#include "platform/x11/Xlib.h"

namespace {
XSession* g_session = nullptr;
}

XSession& x11Session() {
    return *g_session;
}

QString readTextFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString startTestEditor(const QString& dump, const QString& title, int windows,
                        const QStringList& extraArgs) {
    QStringList args{"--dump", dump, "--title", title, "--windows", QString::number(windows)};
    args += extraArgs;
    x11Session().start(NIVELO_TEST_EDITOR, args);
    return x11Session().waitForWindow(windows == 1 ? title : title + " 1");
}

void pause(int ms) {
    XSession::waitUntil([] { return false; }, ms);
}

QByteArray writePng(const QString& name) {
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(QColor(20, 140, 90));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    QFile out(x11Session().path(name));
    return out.open(QIODevice::WriteOnly) && out.write(png) == png.size() ? png : QByteArray();
}

RawKeyRecorder::RawKeyRecorder() : connection_(std::make_shared<X11Connection>()) {
    connection_->wantRawEvent(XI_RawKeyPress, true);
    connection_->wantRawEvent(XI_RawKeyRelease, true);
    listener_ = connection_->addListener([this](XEvent& event) {
        if (event.type != GenericEvent || event.xcookie.extension != connection_->xinputOpcode() ||
            !event.xcookie.data) {
            return;
        }
        const bool press = event.xcookie.evtype == XI_RawKeyPress;
        if (!press && event.xcookie.evtype != XI_RawKeyRelease) {
            return;
        }
        const auto* raw = static_cast<const XIRawEvent*>(event.xcookie.data);
        const KeySym sym = XkbKeycodeToKeysym(connection_->display(), XKeyCode(raw->detail), 0, 0);
        const char* name = XKeysymToString(sym);
        events_.append(QString(press ? "+" : "-") + QString::fromLatin1(name ? name : "?"));
    });
}

RawKeyRecorder::~RawKeyRecorder() {
    connection_->removeListener(listener_);
}

QStringList RawKeyRecorder::events() {
    XSync(connection_->display(), False);
    connection_->dispatchPending();
    return events_;
}

void RawKeyRecorder::clear() {
    events();
    events_.clear();
}

// Starts the private X session first, then the QApplication on it. Listing the tests needs
// neither.
int main(int argc, char** argv) {
    bool listing = false;
    for (int i = 1; i < argc; ++i) {
        listing = listing || QByteArray(argv[i]).startsWith("--gtest_list_tests");
    }
    std::unique_ptr<XSession> session;
    if (listing) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    } else {
        session = std::make_unique<XSession>(XSession::Options{true});
        if (!session->isReady()) {
            std::fprintf(stderr, "No X session: %s\n", qPrintable(session->error()));
            return 1;
        }
        const QProcessEnvironment env = session->environment();
        for (const QString& key : env.keys()) {
            qputenv(key.toLocal8Bit().constData(), env.value(key).toLocal8Bit());
        }
        qputenv("QT_QPA_PLATFORM", "xcb");
        g_session = session.get();
    }
    int result = 0;
    {
        QApplication app(argc, argv);
        ::testing::InitGoogleMock(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    return result;
}
