// The reply paste's accessibility work: the editor search over a simulated window of 30,000
// elements, and on a private Xvfb with the accessibility bus, `remember` and
// focusAIReplyEditor on mousepad (with our own window in front before each focusing, as the
// assistant panel is when a reply is pasted, and with mousepad in front). Prints median and worst;
// asserts nothing.
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "capture/FocusService.h"
#include "capture/ReplyEditorSearch.h"
#include "platform/x11/AtspiAccessibility.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11Workspace.h"
#include "support/SimulatedDesktop.h"
#include "support/XSession.h"

namespace {

struct Figures {
    double median = 0;
    double worst = 0;
};

Figures figures(std::vector<qint64> ns) {
    if (ns.empty()) {
        return {};
    }
    std::sort(ns.begin(), ns.end());
    return {double(ns[ns.size() / 2]) / 1e6, double(ns.back()) / 1e6};
}

template <typename F>
Figures timed(int runs, F&& run, const std::function<void()>& before = {}) {
    std::vector<qint64> ns;
    for (int i = 0; i < runs; ++i) {
        if (before) {
            before();
        }
        QElapsedTimer t;
        t.start();
        run();
        ns.push_back(t.nsecsElapsed());
    }
    return figures(std::move(ns));
}

void settle(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

// A window of 30,000 elements whose only editor comes last.
Figures simulatedSearch() {
    SimulatedDesktop desktop;
    SimulatedApp& app = desktop.launch(QStringLiteral("org.example.chat"));
    SimulatedAXNode::attach(app.field, nullptr);
    const auto group = SimulatedAXNode::make(AXRole::Group);
    SimulatedAXNode::attach(group, app.window);
    for (int i = 0; i < 29997; ++i) {
        SimulatedAXNode::attach(SimulatedAXNode::make(AXRole::Group), group);
    }
    const auto editor = SimulatedAXNode::make(AXRole::TextArea);
    editor->frame = QRectF(0, 500, 600, 40);
    editor->focusable = true;
    SimulatedAXNode::attach(editor, group);
    std::size_t found = 0;
    const Figures f = timed(20, [&] {
        ReplyEditorSearch search(desktop.accessibility);
        found += search.editableElements(app.window).size();
    });
    if (found != 20) {
        std::fprintf(stderr, "the simulated search missed the editor\n");
    }
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    XSession session(XSession::Options{true});
    if (!session.isReady()) {
        std::fprintf(stderr, "No X session: %s\n", qPrintable(session.error()));
        return 1;
    }
    const QProcessEnvironment env = session.environment();
    for (const QString& key : env.keys()) {
        qputenv(key.toLocal8Bit().constData(), env.value(key).toLocal8Bit());
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);

    const Figures search = simulatedSearch();

    auto connection = std::make_shared<X11Connection>();
    X11Workspace workspace(connection);
    AtspiAccessibility accessibility;
    accessibility.raiseWindow = [&workspace](qint64 pid, const QRect& extents) {
        return workspace.activateWindowAt(pid, extents);
    };
    FocusService focus(workspace, accessibility);
    // Another editor can be named: nivelo_reply_editor_bench [program window-class].
    const QString program = argc > 2 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("mousepad");
    const QString windowClass = argc > 2 ? QString::fromLocal8Bit(argv[2]) : program;
    const QString window = session.startAndActivate(program, windowClass);
    if (window.isEmpty() || !accessibility.isAvailable()) {
        std::fprintf(stderr, "%s or the accessibility bus did not start\n", qPrintable(program));
        return 1;
    }
    settle(1000);
    const qint64 pid = session.xdotool({"getwindowpid", window}).trimmed().toLongLong();
    const std::optional<RunningApplication> mousepad = workspace.frontmostApplication();
    if (!mousepad || mousepad->processIdentifier != pid) {
        std::fprintf(stderr, "%s is not in front\n", qPrintable(program));
        return 1;
    }
    // An editor joins the accessibility bus some time after its window shows.
    QElapsedTimer joining;
    joining.start();
    while (focus.remember(*mousepad), !focus.rememberedWindow() && joining.elapsed() < 15000) {
        settle(100);
    }
    if (!focus.rememberedWindow()) {
        std::fprintf(stderr, "%s shows no window over the accessibility bus\n",
                     qPrintable(program));
        return 1;
    }
    // While mousepad is in front, as on the reply hot key; the last one stays remembered.
    const Figures remember = timed(50, [&] { focus.remember(*mousepad); });

    QLineEdit own;
    own.show();
    const QString ownWindow = QString::number(own.winId());
    int focused = 0;
    const Figures focusing = timed(
        20, [&] { focused += focus.focusAIReplyEditor(pid) ? 1 : 0; },
        [&] {
            session.activate(ownWindow);
            settle(150);
        });

    // As after beginAIReplyPaste: mousepad in front already.
    int focusedInFront = 0;
    const Figures inFront = timed(
        20, [&] { focusedInFront += focus.focusAIReplyEditor(pid) ? 1 : 0; },
        [&] {
            session.activate(window);
            settle(150);
        });

    std::printf("reply editor, median / worst:\n");
    std::printf("  search of a simulated window of 30,000 elements: %.1f / %.1f ms (goal < 100)\n",
                search.median, search.worst);
    const QByteArray name = program.toLocal8Bit();
    std::printf("  remember on %s: %.2f / %.2f ms (goal < 5)\n", name.constData(), remember.median,
                remember.worst);
    std::printf("  focusAIReplyEditor on %s: %.1f / %.1f ms (goal < 50), %d of 20 focused\n",
                name.constData(), focusing.median, focusing.worst, focused);
    std::printf("  the same with %s in front: %.1f / %.1f ms, %d of 20 focused\n", name.constData(),
                inFront.median, inFront.worst, focusedInFront);
    return 0;
}
