#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRect>
#include <iostream>
#include <optional>

#include "support/NiveloRoad.h"

// After Qt: Xlib defines names Qt uses.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <atspi/atspi.h>

// The assistant panel of the real binary: Alt+I over a selection in mousepad opens it with
// the context; a typed request is answered in a bubble. A reply style's hot key writes a
// reply to a selected message, and its paste button puts the reply into mousepad.
namespace {

const QString kReply = QStringLiteral("Sounds good, see you at noon.");

// Super+Alt+key through XTest, as a person presses a reply style's hot key.
void pressSuperAltHotKey(const XSession& session, const char* keysym) {
    Display* display = XOpenDisplay(session.display().toLocal8Bit().constData());
    if (!display) {
        return;
    }
    const unsigned super = XKeysymToKeycode(display, XK_Super_L);
    const unsigned alt = XKeysymToKeycode(display, XK_Alt_L);
    const unsigned key = XKeysymToKeycode(display, XStringToKeysym(keysym));
    for (const unsigned code : {super, alt, key}) {
        XTestFakeKeyEvent(display, code, True, CurrentTime);
    }
    for (const unsigned code : {key, alt, super}) {
        XTestFakeKeyEvent(display, code, False, CurrentTime);
    }
    XSync(display, False);
    XCloseDisplay(display);
}

// The running nivelo's accessibility tree, read the way a screen reader reads it.
class NiveloTree {
public:
    NiveloTree(const XSession& session, qint64 pid) : pid_(pid) {
        const QProcessEnvironment env = session.environment();
        qputenv("DISPLAY", env.value("DISPLAY").toLocal8Bit());
        qputenv("DBUS_SESSION_BUS_ADDRESS", env.value("DBUS_SESSION_BUS_ADDRESS").toLocal8Bit());
        atspi_init();
    }

    // The first showing object whose accessible name is name.
    std::optional<QRect> find(const QString& name) const {
        std::optional<QRect> found;
        forEachShowing([&](AtspiAccessible* node) {
            gchar* raw = atspi_accessible_get_name(node, nullptr);
            const bool match = raw && QString::fromUtf8(raw) == name;
            g_free(raw);
            if (match) {
                found = extents(node);
            }
            return match;
        });
        return found;
    }

    // Whether a showing object names a text.
    bool shows(const QString& name) const { return find(name).has_value(); }

private:
    static QRect extents(AtspiAccessible* node) {
        AtspiComponent* component = atspi_accessible_get_component_iface(node);
        if (!component) {
            return {};
        }
        AtspiRect* r = atspi_component_get_extents(component, ATSPI_COORD_TYPE_SCREEN, nullptr);
        QRect rect;
        if (r) {
            rect = QRect(r->x, r->y, r->width, r->height);
            g_free(r);
        }
        g_object_unref(component);
        return rect;
    }

    template <typename Visit>
    void forEachShowing(Visit visit) const {
        AtspiAccessible* desktop = atspi_get_desktop(0);
        const int apps = atspi_accessible_get_child_count(desktop, nullptr);
        for (int i = 0; i < apps; ++i) {
            AtspiAccessible* app = atspi_accessible_get_child_at_index(desktop, i, nullptr);
            if (!app) {
                continue;
            }
            const bool ours = atspi_accessible_get_process_id(app, nullptr) == guint(pid_);
            const bool done = ours && walk(app, visit, 0);
            g_object_unref(app);
            if (done) {
                break;
            }
        }
        g_object_unref(desktop);
    }

    template <typename Visit>
    static bool walk(AtspiAccessible* node, Visit& visit, int depth) {
        if (depth > 40) {
            return false;
        }
        AtspiStateSet* states = atspi_accessible_get_state_set(node);
        const bool showing = states && atspi_state_set_contains(states, ATSPI_STATE_SHOWING);
        if (states) {
            g_object_unref(states);
        }
        if (depth > 1 && !showing) {
            return false;
        }
        if (visit(node)) {
            return true;
        }
        const int children = atspi_accessible_get_child_count(node, nullptr);
        for (int i = 0; i < children; ++i) {
            AtspiAccessible* child = atspi_accessible_get_child_at_index(node, i, nullptr);
            if (!child) {
                continue;
            }
            const bool done = walk(child, visit, depth + 1);
            g_object_unref(child);
            if (done) {
                return true;
            }
        }
        return false;
    }

    qint64 pid_;
};

void click(const XSession& session, const QRect& r) {
    session.xdotool({"mousemove", QString::number(r.center().x()), QString::number(r.center().y()),
                     "click", "1"});
}

}  // namespace

TEST(AssistantRoad, ChatsAboutASelectionAndPastesAReplyWrittenByItsHotKey) {
    NiveloRoad::Options options;
    options.niveloBinary = NIVELO_BINARY;
    options.testEditor = NIVELO_TEST_EDITOR;
    options.accessibilityBus = true;
    options.defaults = {{"nivelo.autoSelectAllBeforeAction", "false"}};
    NiveloRoad road(options);
    XSession& session = road.session();
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    // Replies share no word with the message, so the echo check lets them through.
    road.backend().setHandler([](const RecordedRequest& request) {
        const QJsonObject body = QJsonDocument::fromJson(request.body).object();
        if (body.value("action").toString() == "chat_reply") {
            return CannedReply::result(kReply);
        }
        return CannedReply::result(NiveloRoad::standInAnswer(body.value("text").toString()));
    });
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    const QString editor = session.startAndActivate("mousepad", "mousepad", true);
    ASSERT_FALSE(editor.isEmpty());
    XSession::pause(500);
    session.type("Lunch plans for Friday");
    session.key("shift+Home");
    XSession::pause(300);

    session.xdotool({"mousemove", "300", "160"});
    road.pressAltHotKey("i");
    QString panel;
    ASSERT_TRUE(XSession::waitUntil([&] {
        return !(panel = session.visibleWindowOfInstance()).isEmpty();
    })) << road.diagnostics("assistant-open").toStdString();
    EXPECT_TRUE(XSession::waitUntil(
        [&] { return session.xdotool({"getactivewindow"}).trimmed() == panel; }));
    NiveloTree tree(session, road.nivelo()->processId());
    EXPECT_TRUE(XSession::waitUntil([&] { return tree.shows("22 chars"); }))
        << road.diagnostics("assistant-context").toStdString();

    session.type("Make it shorter");
    session.key("Return");
    ASSERT_TRUE(XSession::waitUntil([&] { return road.backend().requestCount() == 1; }));
    const QJsonObject sent = QJsonDocument::fromJson(road.backend().requests()[0].body).object();
    EXPECT_EQ(sent.value("text").toString(),
              "Selected text:\nLunch plans for Friday\n\nRequest:\nMake it shorter");
    const QString answer = NiveloRoad::standInAnswer(
        "Selected text:\nLunch plans for Friday\n\nRequest:\nMake it shorter");
    EXPECT_TRUE(XSession::waitUntil([&] { return tree.shows(answer); }))
        << road.diagnostics("assistant-answer").toStdString();
    std::cout << "Assistant screenshot: " << session.screenshot("assistant-chat").toStdString()
              << std::endl;

    // A reply to a message in mousepad, written by the first reply style's hot key.
    session.key("Escape");
    session.activate(editor);
    session.key("ctrl+a");
    session.type("Are we still on for lunch?");
    session.key("shift+Home");
    session.setClipboardText("copied by the user");
    XSession::pause(300);
    pressSuperAltHotKey(session, "1");
    ASSERT_TRUE(XSession::waitUntil([&] { return tree.shows(kReply); }, 20000))
        << road.diagnostics("assistant-reply").toStdString();
    EXPECT_TRUE(tree.shows("AI Reply"));
    std::cout << "Reply screenshot: " << session.screenshot("assistant-reply").toStdString()
              << std::endl;
    const std::optional<QRect> paste = tree.find("Paste reply");
    ASSERT_TRUE(paste && !paste->isEmpty());
    click(session, *paste);
    EXPECT_TRUE(XSession::waitUntil([&] { return session.visibleWindowOfInstance().isEmpty(); }));
    EXPECT_TRUE(XSession::waitUntil([&] {
        return session.clipboardText() == "copied by the user";
    })) << road.diagnostics("assistant-clipboard").toStdString();
    XSession::pause(500);
    session.activate(editor);
    const bool landed = XSession::waitUntil([&] {
        session.key("ctrl+a");
        session.key("ctrl+c");
        return session.clipboardText().contains(kReply);
    });
    EXPECT_TRUE(landed) << session.clipboardText().toStdString();
}
