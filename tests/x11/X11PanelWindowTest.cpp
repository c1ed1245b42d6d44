#include <gtest/gtest.h>

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
