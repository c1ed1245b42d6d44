#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QPoint>
#include <QRect>
#include <iostream>

#include "E2eRoadOptions.h"

namespace {
bool isFullScreen(const XSession& session, const QString& window) {
    return session.run("xprop", {"-id", window, "_NET_WM_STATE"})
        .contains("_NET_WM_STATE_FULLSCREEN");
}

// Starts the app and the editor the panels show above; the editor's window, or "" with the
// reason in `why`.
QString startEditor(NiveloRoad& road, std::string& why) {
    if (!road.session().isReady()) {
        why = road.session().error().toStdString();
        return {};
    }
    if (!road.startNivelo()) {
        why = road.error().toStdString();
        return {};
    }
    why = "the editor did not show";
    return road.startTestEditor("Full Screen Editor");
}

// The visible window titled exactly `title` once it shows, or "".
QString waitForPanel(const XSession& session, const QString& title) {
    QString window;
    XSession::waitUntil(
        [&] { return !(window = session.visibleWindowTitled("^" + title + "$")).isEmpty(); });
    return window;
}
}  // namespace

// Every floating panel of the real binary over the test editor in full screen (after F11):
// each shows above it, the editor stays in full screen, and the panels that take no keyboard
// leave it the focus. The second press of Alt+Q and Alt+V hides what the first showed.
// (The floating button, a panel of the quick panel's kind, cannot be turned on yet.)
TEST(FullScreenRoad, EveryPanelShowsAboveAFullScreenEditor) {
    NiveloRoad::Options options = e2eRoadOptions();
    options.defaults = {{"nivelo.autoSelectAllBeforeAction", "false"}};
    NiveloRoad road(options);
    XSession& session = road.session();
    // Slow answers, so the status box stays up a while.
    road.backend().setHandler([](const RecordedRequest& request) {
        CannedReply reply = CannedReply::result(NiveloRoad::standInAnswer(
            QJsonDocument::fromJson(request.body).object().value("text").toString()));
        reply.delayMs = 1500;
        return reply;
    });
    std::string why;
    const QString editor = startEditor(road, why);
    ASSERT_FALSE(editor.isEmpty()) << why;
    ASSERT_TRUE(session.activate(editor));
    session.type("hello there");
    session.key("shift+Home");
    session.key("F11");
    const auto fullScreen = [&] { return isFullScreen(session, editor); };
    ASSERT_TRUE(XSession::waitUntil(
        [&] { return fullScreen() && session.windowGeometry(editor).size() == QSize(1280, 800); }));
    session.xdotool({"mousemove", "300", "200"});

    QStringList failed;
    // Waits for the panel titled so; returns its window, or "" after noting what went wrong.
    const auto shows = [&](const QString& title, bool takesKeyboard) {
        const QString window = waitForPanel(session, title);
        if (window.isEmpty()) {
            failed << title + ": not shown";
            return window;
        }
        const bool above = XSession::waitUntil(
            [&] { return session.stackingIndex(window) > session.stackingIndex(editor); });
        const bool focusRight = takesKeyboard
                                    ? XSession::waitUntil([&] { return session.isActive(window); })
                                    : (XSession::pause(300), session.isActive(editor));
        std::cout << title.toStdString() << ": "
                  << session
                         .screenshot("full-screen-" +
                                     title.section(' ', 1).toLower().replace(' ', '-'))
                         .toStdString()
                  << std::endl;
        if (!above || !focusRight || !fullScreen()) {
            failed << QString("%1: above %2, focus %3, full screen %4")
                          .arg(title)
                          .arg(above)
                          .arg(focusRight)
                          .arg(fullScreen());
        }
        return window;
    };
    const auto hides = [&](const QString& title) {
        if (!XSession::waitUntil(
                [&] { return session.visibleWindowTitled("^" + title + "$").isEmpty(); })) {
            failed << title + ": not hidden";
        }
    };

    session.xdotool({"mousemove", "300", "200"});
    road.pressAltHotKey("q");
    shows("NiveloAI Quick Menu", false);
    road.pressAltHotKey("q");
    hides("NiveloAI Quick Menu");

    road.pressAltHotKey("v");
    shows("NiveloAI Clipboard", false);
    road.pressAltHotKey("v");
    hides("NiveloAI Clipboard");

    road.pressAltHotKey("r");
    shows("NiveloAI Translation Preview", true);
    session.key("Escape");
    hides("NiveloAI Translation Preview");

    ASSERT_TRUE(session.activate(editor));
    road.pressAltHotKey("i");
    // Closed by its close control, at the top-left corner.
    const QString assistant = shows("NiveloAI Assistant", true);
    const QPoint close = session.windowGeometry(assistant).topLeft() + QPoint(21, 21);
    session.xdotool(
        {"mousemove", QString::number(close.x()), QString::number(close.y()), "click", "1"});
    hides("NiveloAI Assistant");

    ASSERT_TRUE(session.activate(editor));
    session.key("ctrl+a");
    road.pressAltHotKey("1");
    shows("NiveloAI Status", false);
    EXPECT_TRUE(road.waitForEditorText("HELLO THERE", 0, 20000)) << road.editorText().toStdString();
    EXPECT_TRUE(failed.isEmpty()) << failed.join('\n').toStdString();
}

// A panel open when the editor goes full screen (F11) stays above it and on every workspace
// while the editor stays on its own, and a click into the full-screen editor leaves the
// assistant above it; the quick panel and the clipboard window close on that click as on any
// other, and one press of their key brings them back above it. When the editor leaves full
// screen, the panel is again on every workspace and the editor still on its own.
TEST(FullScreenRoad, APanelOpenBeforeFullScreenStaysAboveIt) {
    NiveloRoad road(e2eRoadOptions());
    XSession& session = road.session();
    std::string why;
    const QString editor = startEditor(road, why);
    ASSERT_FALSE(editor.isEmpty()) << why;
    const auto fullScreen = [&] { return isFullScreen(session, editor); };

    const struct {
        QString title;
        QString key;
        bool closesOnClick;
    } panels[] = {{"NiveloAI Assistant", "i", false},
                  {"NiveloAI Quick Menu", "q", true},
                  {"NiveloAI Clipboard", "v", true}};
    QStringList failed;
    for (const auto& panel : panels) {
        const auto fail = [&](const QString& what) { failed << panel.title + ": " + what; };
        QString window;
        const auto shown = [&] { return !(window = waitForPanel(session, panel.title)).isEmpty(); };
        const auto above = [&] {
            return XSession::waitUntil([&] {
                return session.isViewable(window) &&
                       session.stackingIndex(window) > session.stackingIndex(editor);
            });
        };
        const auto checkWorkspaces = [&](const QString& when) {
            const bool switched = session.switchWorkspace(1);
            const bool apart = XSession::waitUntil([&] { return !session.isViewable(editor); });
            const bool everywhere = session.isViewable(window);
            if (!session.switchWorkspace(0) || !switched || !apart || !everywhere) {
                fail(QString("on another workspace %1: editor hidden %2, panel shown %3")
                         .arg(when)
                         .arg(apart)
                         .arg(everywhere));
            }
        };
        // F11 in the editor, as a person does after a click into it.
        const auto toggleFullScreen = [&](bool wanted) {
            session.activate(editor);
            session.key("F11");
            return XSession::waitUntil([&] {
                return fullScreen() == wanted &&
                       (!wanted || session.windowGeometry(editor).size() == QSize(1280, 800));
            });
        };
        if (!session.activate(editor)) {
            fail("the editor cannot be activated");
            continue;
        }
        session.xdotool({"mousemove", "300", "200"});
        road.pressAltHotKey(panel.key);
        if (!shown()) {
            fail("not shown");
            continue;
        }
        if (!toggleFullScreen(true)) {
            fail("the editor did not go full screen");
            continue;
        }
        if (!above()) {
            fail("below the editor after F11");
        }
        std::cout << session.screenshot("open-before-full-screen-" + panel.key).toStdString()
                  << std::endl;
        checkWorkspaces("in full screen");

        session.xdotool({"mousemove", "1150", "400", "click", "1"});
        if (panel.closesOnClick) {
            if (!XSession::waitUntil([&] {
                    return session.visibleWindowTitled("^" + panel.title + "$").isEmpty();
                })) {
                fail("not closed by the click");
            }
            road.pressAltHotKey(panel.key);
            if (!shown() || !above()) {
                fail("one press did not bring it back above the editor");
            }
        } else {
            XSession::waitUntil([&] { return session.isActive(editor); });
            XSession::pause(300);
            if (!above()) {
                fail("below the editor after a click into it");
            }
        }

        if (!toggleFullScreen(false)) {
            fail("the editor did not leave full screen");
        }
        checkWorkspaces("out of full screen");
        if (panel.closesOnClick) {
            road.pressAltHotKey(panel.key);
        } else {
            const QPoint close = session.windowGeometry(window).topLeft() + QPoint(21, 21);
            session.xdotool({"mousemove", QString::number(close.x()), QString::number(close.y()),
                             "click", "1"});
        }
        if (!XSession::waitUntil(
                [&] { return session.visibleWindowTitled("^" + panel.title + "$").isEmpty(); })) {
            fail("not hidden at the end");
        }
    }
    EXPECT_TRUE(failed.isEmpty()) << failed.join('\n').toStdString();
}

// Panels keep the stacking they had before full screen: the assistant open, a click back into
// the editor, the quick panel shown above the assistant, then F11 twice: the quick panel is
// still above the assistant, and the next press of its key hides it.
TEST(FullScreenRoad, PanelsKeepTheirStackingThroughFullScreen) {
    NiveloRoad road(e2eRoadOptions());
    XSession& session = road.session();
    std::string why;
    const QString editor = startEditor(road, why);
    ASSERT_FALSE(editor.isEmpty()) << why;
    const auto fullScreen = [&] { return isFullScreen(session, editor); };
    const auto shown = [&](const QString& title) { return waitForPanel(session, title); };
    ASSERT_TRUE(session.activate(editor));
    road.pressAltHotKey("i");
    const QString assistant = shown("NiveloAI Assistant");
    ASSERT_FALSE(assistant.isEmpty());
    ASSERT_TRUE(session.activate(editor));
    session.xdotool({"mousemove", "300", "200"});
    road.pressAltHotKey("q");
    const QString quick = shown("NiveloAI Quick Menu");
    ASSERT_FALSE(quick.isEmpty());
    const auto quickAbove = [&] {
        return XSession::waitUntil(
            [&] { return session.stackingIndex(quick) > session.stackingIndex(assistant); });
    };
    ASSERT_TRUE(quickAbove());
    QStringList failed;
    for (const bool wanted : {true, false}) {
        session.key("F11");
        // Both panels joined to the full-screen editor, or left it.
        const auto joined = [&](const QString& window) {
            return session.run("xprop", {"-id", window, "WM_TRANSIENT_FOR"}).contains("window id");
        };
        if (!XSession::waitUntil([&] {
                return fullScreen() == wanted && joined(quick) == wanted &&
                       joined(assistant) == wanted;
            })) {
            failed << QString("full screen did not become %1").arg(wanted);
        }
        // Nothing tells when the window manager is done restacking.
        XSession::pause(500);
        if (!quickAbove()) {
            failed << QString("the quick panel is under the assistant after F11 into %1")
                          .arg(wanted ? "full screen" : "a window");
        }
    }
    std::cout << session.screenshot("stacking-after-full-screen").toStdString() << std::endl;
    road.pressAltHotKey("q");
    if (!XSession::waitUntil(
            [&] { return session.visibleWindowTitled("^NiveloAI Quick Menu$").isEmpty(); })) {
        failed << "the next Alt+Q did not hide the quick panel";
    }
    EXPECT_TRUE(failed.isEmpty()) << failed.join('\n').toStdString();
}
