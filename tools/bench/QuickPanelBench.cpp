// The quick-action panel from its hot key, on a private Xvfb with openbox and mousepad in
// front: the time from Alt+Q going down (XTest) to the panel's window exposed, for the first
// opening of a fresh process and for later ones. Each process is a child of the bench
// (`--child`) over one shared session, so every first opening pays what a real one does:
// fonts, style, the panel built.
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/NiveloNativeApp.h"
#include "clipboard/ClipboardHistoryService.h"
#include "panels/QuickPanelController.h"
#include "platform/Cld2LanguageRecognizer.h"
#include "platform/DefaultsSystemAppearance.h"
#include "platform/IniDefaults.h"
#include "platform/Platform.h"
#include "platform/QProcessRunner.h"
#include "platform/QtHttpTransport.h"
#include "platform/QtScreens.h"
#include "platform/RealClock.h"
#include "platform/x11/X11Platform.h"
#include "support/XSession.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

constexpr int kChildren = 7;
constexpr int kLaterOpenings = 20;

// The platform main() builds.
Platform realPlatform() {
    Platform platform;
    platform.clock = std::make_unique<RealClock>();
    platform.defaults = std::make_unique<IniDefaults>(IniDefaults::standardPath());
    platform.clipboardHistoryDefaults =
        std::make_unique<IniDefaults>(ClipboardHistoryService::standardStorePath());
    platform.http = std::make_unique<QtHttpTransport>(*platform.clock);
    platform.languageRecognizer = std::make_unique<Cld2LanguageRecognizer>();
    platform.systemAppearance = std::make_unique<DefaultsSystemAppearance>(*platform.defaults);
    platform.processRunner = std::make_unique<QProcessRunner>();
    platform.screens = std::make_unique<QtScreens>();
    addX11Services(platform);
    return platform;
}

bool settleUntil(const std::function<bool()>& cond, int timeoutMs = 5000) {
    QElapsedTimer t;
    t.start();
    while (!cond()) {
        if (t.elapsed() > timeoutMs) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return true;
}

// Presses Alt+Q on its own connection; returns once the server has taken the events.
void pressAltQ(Display* x) {
    const unsigned alt = XKeysymToKeycode(x, XK_Alt_L);
    const unsigned q = XKeysymToKeycode(x, XK_q);
    XTestFakeKeyEvent(x, alt, True, CurrentTime);
    XTestFakeKeyEvent(x, q, True, CurrentTime);
    XTestFakeKeyEvent(x, q, False, CurrentTime);
    XTestFakeKeyEvent(x, alt, False, CurrentTime);
    XSync(x, False);
}

bool panelExposed(NiveloNativeApp& nivelo) {
    PanelWindow* panel = nivelo.quickPanel().panel();
    return panel && panel->windowHandle() && panel->windowHandle()->isExposed();
}

// One process: the first opening, then the later ones; prints "first N" and "later N" lines
// in nanoseconds.
int child(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("NiveloAI"));
    Platform platform = realPlatform();
    Platform::setCurrent(&platform);
    Display* x = XOpenDisplay(nullptr);
    int code = 0;
    {
        NiveloNativeApp nivelo(platform);
        nivelo.launch();
        // Let start-up finish and the grabs land.
        settleUntil([] { return false; }, 500);
        for (int i = 0; i <= kLaterOpenings && code == 0; ++i) {
            QElapsedTimer t;
            t.start();
            pressAltQ(x);
            if (!settleUntil([&] { return panelExposed(nivelo); })) {
                std::fprintf(stderr, "the panel was never exposed\n");
                code = 1;
                break;
            }
            std::printf("%s %lld\n", i == 0 ? "first" : "later",
                        static_cast<long long>(t.nsecsElapsed()));
            std::fflush(stdout);
            nivelo.quickPanel().hide();
            settleUntil([&] { return !panelExposed(nivelo); }, 1000);
            settleUntil([] { return false; }, 100);
        }
        nivelo.terminate();
    }
    XCloseDisplay(x);
    Platform::setCurrent(nullptr);
    return code;
}

double medianMs(std::vector<qint64> ns) {
    std::sort(ns.begin(), ns.end());
    return ns.empty() ? 0.0 : double(ns[ns.size() / 2]) / 1e6;
}

double worstMs(const std::vector<qint64>& ns) {
    return ns.empty() ? 0.0 : double(*std::max_element(ns.begin(), ns.end())) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && QByteArray(argv[1]) == "--child") {
        return child(argc, argv);
    }
    QCoreApplication app(argc, argv);
    XSession session;
    if (!session.isReady() ||
        !session.writeNiveloDefaults({{"nivelo.openMainWindowOnLaunch", "false"}})) {
        std::fprintf(stderr, "No X session: %s\n", qPrintable(session.error()));
        return 1;
    }
    if (session.startAndActivate("mousepad", "mousepad").isEmpty()) {
        std::fprintf(stderr, "mousepad did not start\n");
        return 1;
    }
    std::vector<qint64> firsts;
    std::vector<qint64> laters;
    for (int i = 0; i < kChildren; ++i) {
        QProcess process;
        process.setProcessEnvironment(session.environment());
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QCoreApplication::applicationFilePath(), {"--child"});
        if (!process.waitForFinished(60000) || process.exitCode() != 0) {
            std::fprintf(stderr, "run %d failed\n", i + 1);
            return 1;
        }
        for (const QByteArray& line : process.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() == 2) {
                (parts[0] == "first" ? firsts : laters).push_back(parts[1].toLongLong());
            }
        }
    }
    std::printf(
        "quick panel, hot key to exposed (Xvfb + openbox, %d processes), median / worst: "
        "first %.1f / %.1f ms (goal < 150), later %.1f / %.1f ms (goal < 30)\n",
        kChildren, medianMs(firsts), worstMs(firsts), medianMs(laters), worstMs(laters));
    return 0;
}
