// The main road on a private Xvfb with the loopback stand-in for the backend.
//   nivelo_road            bench: 20 presses of the Fix hot key over a selected sentence; prints
//                          the median time from the press to the pasted text, minus the waits
//                          the pasteboard timing prescribes.
//   nivelo_road --demo     one press, shown: the text before and after, and a screenshot.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "capture/PasteboardTiming.h"
#include "support/NiveloRoad.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

// The waits of the standard preset on this road (select all off): activation, Copy and the
// copy wait to read; activation, the paste delay and Paste to write. Each shortcut holds its
// key down 20 ms.
qint64 prescribedWaitMs() {
    const PasteboardTiming timing = PasteboardTiming::standard();
    constexpr qint64 kKeyGapMs = 20;
    return timing.activationDelay + kKeyGapMs + timing.copyWaitBase + timing.activationDelay +
           timing.pasteDelay + kKeyGapMs;
}

// Presses Alt+1 through XTest and returns at the moment the key went down.
void pressFixHotKey(const QString& display) {
    Display* x = XOpenDisplay(display.toLocal8Bit().constData());
    if (!x) {
        return;
    }
    const unsigned alt = XKeysymToKeycode(x, XK_Alt_L);
    const unsigned one = XKeysymToKeycode(x, XK_1);
    XTestFakeKeyEvent(x, alt, True, CurrentTime);
    XTestFakeKeyEvent(x, one, True, CurrentTime);
    XTestFakeKeyEvent(x, one, False, CurrentTime);
    XTestFakeKeyEvent(x, alt, False, CurrentTime);
    XFlush(x);
    XCloseDisplay(x);
}

NiveloRoad::Options options() {
    NiveloRoad::Options o;
    o.niveloBinary = NIVELO_BINARY;
    o.testEditor = NIVELO_TEST_EDITOR;
    o.defaults.insert("nivelo.autoSelectAllBeforeAction", "false");
    return o;
}

// Types a sentence on a fresh line and selects it.
void typeAndSelect(NiveloRoad& road, const QString& sentence) {
    road.session().key("ctrl+a");
    road.session().key("BackSpace");
    road.waitForEditorText("");
    road.session().type(sentence);
    road.waitForEditorText(sentence);
    road.session().key("shift+Home");
}

int demo() {
    NiveloRoad road(options());
    const QString window = road.startTestEditor("NiveloAI demo editor");
    if (!road.session().isReady() || window.isEmpty() || !road.startNivelo()) {
        std::fprintf(stderr, "demo: could not start the desktop: %s\n", qPrintable(road.error()));
        return 1;
    }
    road.session().activate(window);
    road.session().setClipboardText("what the user had copied");
    const QString before = "Please fix this sentence for me.";
    typeAndSelect(road, before);
    std::printf("before:    %s\n", qPrintable(road.editorText()));
    std::printf("clipboard: %s\n", qPrintable(road.session().clipboardText()));
    road.pressAltHotKey("1");
    road.waitForEditorText(NiveloRoad::standInAnswer(before));
    XSession::waitUntil(
        [&] { return road.session().clipboardText() == "what the user had copied"; }, 3000);
    std::printf("after:     %s\n", qPrintable(road.editorText()));
    std::printf("clipboard: %s\n", qPrintable(road.session().clipboardText()));
    std::printf("screenshot: %s\n", qPrintable(road.session().screenshot("demo")));
    std::printf("(the backend is a loopback stand-in: it answers with the text upper-cased)\n");
    return road.editorText() == NiveloRoad::standInAnswer(before) ? 0 : 1;
}

int bench() {
    NiveloRoad road(options());
    const QString window = road.startTestEditor("Bench Editor");
    if (!road.session().isReady() || window.isEmpty() || !road.startNivelo()) {
        std::fprintf(stderr, "bench: could not start the desktop: %s\n", qPrintable(road.error()));
        return 1;
    }
    road.session().activate(window);
    road.session().setClipboardText("user clipboard");
    std::vector<qint64> overheads;
    for (int round = 1; round <= 20; ++round) {
        const QString sentence = QString("round %1 of the bench.").arg(round);
        typeAndSelect(road, sentence);
        const QString expected = NiveloRoad::standInAnswer(sentence);
        QElapsedTimer timer;
        timer.start();
        pressFixHotKey(road.session().display());
        QFile dump(road.dumpPath());
        bool pasted = false;
        while (!pasted && timer.elapsed() < 10000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            if (dump.open(QIODevice::ReadOnly)) {
                pasted = QString::fromUtf8(dump.readAll()) == expected;
                dump.close();
            }
        }
        const qint64 elapsed = timer.elapsed();
        if (!pasted) {
            std::fprintf(stderr, "round %d: no paste (%s)\n", round,
                         qPrintable(road.diagnostics("bench")));
            return 1;
        }
        overheads.push_back(elapsed - prescribedWaitMs());
        std::printf("round %2d: %lld ms (overhead %lld ms)\n", round,
                    static_cast<long long>(elapsed), static_cast<long long>(overheads.back()));
        // Let the restore of the user's clipboard finish before the next press.
        XSession::waitUntil([&] { return road.session().clipboardText() == "user clipboard"; },
                            3000);
    }
    std::sort(overheads.begin(), overheads.end());
    const qint64 median = (overheads[9] + overheads[10]) / 2;
    std::printf("prescribed waits: %lld ms\n", static_cast<long long>(prescribedWaitMs()));
    std::printf("median overhead over 20 presses: %lld ms (target: under 30 ms)\n",
                static_cast<long long>(median));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const bool demoMode = app.arguments().contains(QStringLiteral("--demo"));
    return demoMode ? demo() : bench();
}
