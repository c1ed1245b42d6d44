// The settings window's costs over the state the state tests build, on a private Xvfb with
// openbox (or offscreen with --offscreen): the median time from
// NiveloWindowPresenter::showMainWindow() to the main window exposed, and of a page switch up
// to the next painted frame (the worst is a page with the most controls).
#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/MainWindow.h"
#include "app/NiveloWindowPresenter.h"
#include "platform/Platform.h"
#include "settingswindow/MainSettingsView.h"
#include "state/StateFixture.h"
#include "support/XSession.h"

namespace {

// The state tests' fixture used as a plain object.
struct BenchState : StateTest {
    BenchState() {
        SetUp();
        makeState();
    }
    ~BenchState() override { TearDown(); }
    void TestBody() override {}
    using StateTest::state;
};

double medianMs(std::vector<qint64> ns) {
    std::sort(ns.begin(), ns.end());
    return ns.empty() ? 0.0 : double(ns[ns.size() / 2]) / 1e6;
}

double worstMs(const std::vector<qint64>& ns) {
    return ns.empty() ? 0.0 : double(*std::max_element(ns.begin(), ns.end())) / 1e6;
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

}  // namespace

int main(int argc, char** argv) {
    const bool offscreen = argc > 1 && QByteArray(argv[1]) == "--offscreen";
    std::unique_ptr<XSession> session;
    if (offscreen) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    } else {
        session = std::make_unique<XSession>();
        if (!session->isReady()) {
            std::fprintf(stderr, "No X session: %s\n", qPrintable(session->error()));
            return 1;
        }
        const QProcessEnvironment env = session->environment();
        for (const QString& key : env.keys()) {
            qputenv(key.toLocal8Bit().constData(), env.value(key).toLocal8Bit());
        }
    }
    QApplication app(argc, argv);
    Platform platform;
    Platform::setCurrent(&platform);
    BenchState fixture;
    NiveloAppState& state = *fixture.state;

    std::vector<qint64> opens;
    for (int i = 0; i < 15; ++i) {
        MainWindow* window = nullptr;
        QElapsedTimer t;
        t.start();
        NiveloWindowPresenter::showMainWindow([&] {
            window = new MainWindow();
            window->setCentralWidget(new MainSettingsView({state}));
            window->show();
        });
        if (!settleUntil([&] { return window->windowHandle()->isExposed(); })) {
            std::fprintf(stderr, "the window was never exposed\n");
            return 1;
        }
        opens.push_back(t.nsecsElapsed());
        delete window;
        settleUntil([] { return QApplication::topLevelWidgets().isEmpty(); }, 1000);
    }

    auto* window = new MainWindow();
    window->setCentralWidget(new MainSettingsView({state}));
    window->show();
    settleUntil([&] { return window->windowHandle()->isExposed(); });
    std::vector<qint64> switches;
    const QList<SettingsPage> pages = allCases<SettingsPage>();
    for (int i = 0; i < 60; ++i) {
        QElapsedTimer t;
        t.start();
        state.setSelectedSettingsPage(pages[(i + 1) % pages.size()]);
        window->repaint();
        QApplication::processEvents();
        switches.push_back(t.nsecsElapsed());
    }
    delete window;

    std::printf(
        "settings window (%s), median / worst: open to exposed %.1f / %.1f ms (goal < "
        "200), page switch %.2f / %.2f ms (goal < 50)\n",
        offscreen ? "offscreen" : "Xvfb + openbox", medianMs(opens), worstMs(opens),
        medianMs(switches), worstMs(switches));
    return 0;
}
