#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QWidget>

#include "platform/x11/X11WindowActivation.h"
#include "platform/x11/X11WindowManagerHints.h"
#include "support/XSession.h"
#include "theme/PanelWindow.h"
#include "x11/X11TestSupport.h"

// Panels under openbox: after their first show and after a quick hide and show (the window
// manager may unmanage the window only after the new state is written) they carry the panel
// state and stay shown on another workspace, where a normal window is hidden.
TEST(X11PanelWindow, EveryKindStaysOnEveryWorkspaceOutOfTheTaskBar) {
    XSession& session = x11Session();
    X11WindowManagerHints hints;
    X11WindowActivation activation;
    QWidget normal;
    normal.setWindowTitle("Normal Window");
    normal.setGeometry(600, 100, 200, 100);
    normal.show();
    const QString normalId = QString::number(normal.winId());
    ASSERT_TRUE(XSession::waitUntil([&] { return session.isViewable(normalId); }))
        << session.run("xwininfo", {"-id", normalId}).toStdString()
        << session.run("xprop", {"-id", normalId}).toStdString()
        << session.run("xwininfo", {"-root", "-tree"}).toStdString()
        << session.run("xprop", {"-root"}).toStdString()
        << session.run("pgrep", {"-a", "openbox"}).toStdString();

    using K = PanelWindow::Kind;
    for (const K kind : {K::nonActivating, K::typing, K::key}) {
        SCOPED_TRACE(int(kind));
        PanelWindow panel(kind, {&activation, &hints});
        panel.setGeometry(100, 100, 300, 200);
        const QString id = QString::number(panel.winId());
        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE(round);
            panel.show();
            ASSERT_TRUE(XSession::waitUntil([&] { return session.isViewable(id); }));
            EXPECT_TRUE(XSession::waitUntil([&] {
                const QString state = session.run("xprop", {"-id", id, "_NET_WM_STATE"});
                return state.contains("_NET_WM_STATE_SKIP_TASKBAR") &&
                       state.contains("_NET_WM_STATE_SKIP_PAGER");
            })) << session.run("xprop", {"-id", id, "_NET_WM_STATE"}).toStdString();
            // openbox keeps a window on all desktops without listing it as sticky.
            EXPECT_TRUE(
                session.run("xprop", {"-id", id, "_NET_WM_DESKTOP"}).contains("= 4294967295"));
            ASSERT_TRUE(session.switchWorkspace(1));
            EXPECT_TRUE(XSession::waitUntil([&] { return !session.isViewable(normalId); }));
            EXPECT_TRUE(session.isViewable(id));
            ASSERT_TRUE(session.switchWorkspace(0));
            ASSERT_TRUE(XSession::waitUntil([&] { return session.isViewable(normalId); }));
            // Hidden and shown again at once.
            panel.hide();
        }
    }
}

namespace {

// The test editor, titled "Full Screen"; stopped when it goes, so that its full-screen window
// does not lie over the next test's windows.
struct Editor {
    explicit Editor(XSession& session)
        : session(session),
          process(session.start(NIVELO_TEST_EDITOR, {"--dump", session.path("full-screen.txt"),
                                                     "--title", "Full Screen"})),
          id(session.waitForWindow("Full Screen")) {}
    ~Editor() {
        process->kill();
        process->waitForFinished(5000);
    }
    // In full screen, with nothing of a panel's state.
    bool isFullScreen() const {
        const QString state = session.run("xprop", {"-id", id, "_NET_WM_STATE"});
        return state.contains("_NET_WM_STATE_FULLSCREEN") && !state.contains("SKIP_TASKBAR");
    }
    // F11 in the editor, until it fills the screen or leaves full screen.
    bool toggleFullScreen() {
        const bool wanted = !isFullScreen();
        if (id.isEmpty() || !session.activate(id)) {
            return false;
        }
        session.key("F11");
        return XSession::waitUntil([&] {
            return isFullScreen() == wanted &&
                   (!wanted || session.windowGeometry(id) == QRect(QPoint(0, 0), QSize(1280, 800)));
        });
    }

    XSession& session;
    QProcess* process;
    QString id;
};

}  // namespace

// Over a focused full-screen window (the editor after F11) every kind shows above it, on its
// first show and after a hide and show; the editor stays in full screen, on its workspace
// alone, and keeps the focus unless the panel takes the keyboard. A press in a typing panel gives
// it the keyboard, and it stays above.
TEST(X11PanelWindow, EveryKindShowsAboveAFocusedFullScreenWindow) {
    XSession& session = x11Session();
    X11WindowManagerHints hints;
    X11WindowActivation activation;
    Editor full(session);
    const QString editor = full.id;
    ASSERT_TRUE(full.toggleFullScreen());
    const auto fullScreen = [&] { return full.isFullScreen(); };

    using K = PanelWindow::Kind;
    const struct {
        K kind;
        bool takesKeyboard;
    } cases[] = {{K::nonActivating, false}, {K::typing, false}, {K::key, true}, {K::status, false}};
    QStringList failed;
    for (const auto& c : cases) {
        PanelWindow panel(c.kind, {&activation, &hints});
        panel.setGeometry(100, 100, 300, 200);
        // A colour the editor never shows.
        auto* fill = new QWidget(panel.surface());
        fill->setGeometry(0, 0, 300, 200);
        fill->setStyleSheet("background: #ff00ff");
        const QString id = QString::number(panel.winId());
        for (int round = 0; round < 2; ++round) {
            const QString name = QString("kind %1 round %2").arg(int(c.kind)).arg(round);
            if (!session.activate(editor)) {
                failed << name + ": the editor cannot be activated";
                continue;
            }
            panel.show();
            const bool above = XSession::waitUntil([&] {
                return session.isViewable(id) &&
                       session.stackingIndex(id) > session.stackingIndex(editor);
            });
            const bool focusRight = c.takesKeyboard
                                        ? XSession::waitUntil([&] { return session.isActive(id); })
                                        : (XSession::pause(300), session.isActive(editor));
            // A busy machine may paint it a moment after the map.
            const bool drawn = XSession::waitUntil([&] {
                const QImage shot(
                    session.screenshot("full-screen-" + QString::number(int(c.kind))));
                return shot.pixelColor(250, 200) == QColor(255, 0, 255);
            });
            if (!above || !focusRight || !drawn || !fullScreen()) {
                failed << QString("%1: above %2, focus %3, drawn %4, full screen %5")
                              .arg(name)
                              .arg(above)
                              .arg(focusRight)
                              .arg(drawn)
                              .arg(fullScreen());
            }
            // The panel still shows on another workspace; the editor stays on its own.
            if (c.kind != K::status) {
                const bool switched = session.switchWorkspace(1);
                const bool apart = XSession::waitUntil([&] { return !session.isViewable(editor); });
                const bool panelShown = session.isViewable(id);
                if (!session.switchWorkspace(0) || !switched || !apart || !panelShown) {
                    failed << QString("%1 on another workspace: editor hidden %2, panel shown %3")
                                  .arg(name)
                                  .arg(apart)
                                  .arg(panelShown);
                }
            }
            if (c.kind == K::typing && round == 1) {
                session.xdotool({"mousemove", "250", "200", "click", "1"});
                const bool typing = XSession::waitUntil([&] { return session.isActive(id); });
                XSession::pause(300);
                if (!typing || session.stackingIndex(id) < session.stackingIndex(editor) ||
                    !fullScreen()) {
                    failed << QString("typing after a press: active %1, full screen %2")
                                  .arg(typing)
                                  .arg(fullScreen());
                }
            }
            panel.hide();
            XSession::waitUntil([&] { return !session.isViewable(id); });
        }
    }
    EXPECT_TRUE(failed.isEmpty()) << failed.join("\n").toStdString();
}

// A panel is seen above a normal window; once a full-screen window it was not shown over
// covers it whole it is not, and it is again when that window leaves full screen.
TEST(X11PanelWindow, IsSeenUntilOtherWindowsCoverItWhole) {
    XSession& session = x11Session();
    X11WindowManagerHints hints;
    X11WindowActivation activation;
    Editor editor(session);
    PanelWindow panel(PanelWindow::Kind::nonActivating, {&activation, &hints});
    panel.setGeometry(100, 100, 300, 200);
    panel.show();
    const QString id = QString::number(panel.winId());
    ASSERT_TRUE(XSession::waitUntil([&] { return session.isViewable(id); }));
    EXPECT_TRUE(panel.isSeen());
    ASSERT_TRUE(editor.toggleFullScreen());
    EXPECT_TRUE(XSession::waitUntil([&] { return !panel.isSeen(); }));
    ASSERT_TRUE(editor.toggleFullScreen());
    EXPECT_TRUE(XSession::waitUntil([&] { return panel.isSeen(); }));
    panel.hide();
    EXPECT_FALSE(panel.isSeen());
}
