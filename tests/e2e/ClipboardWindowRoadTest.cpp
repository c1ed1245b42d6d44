#include <gtest/gtest.h>

#include <QFile>
#include <QPoint>
#include <QRect>
#include <iostream>

#include "E2eRoadOptions.h"

// The clipboard window of the real binary over mousepad: Alt+V opens it by the pointer while
// mousepad keeps the focus; the search filters; a double click pastes the entry at mousepad's
// caret and gives the clipboard back; a note typed at once and saved survives a restart.
namespace {

void click(const XSession& session, QPoint at, int times = 1) {
    session.xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click",
                     "--repeat", QString::number(times), "--delay", "80", "1"});
}

QString openWindow(NiveloRoad& road, QPoint pointer) {
    XSession& session = road.session();
    session.xdotool({"mousemove", QString::number(pointer.x()), QString::number(pointer.y())});
    road.pressAltHotKey("v");
    QString window;
    XSession::waitUntil([&] { return !(window = session.visibleWindowOfInstance()).isEmpty(); });
    XSession::pause(300);
    return window;
}

// Offsets inside the window at its default width of 380 px: the search field, the first row
// and the "Add note" button.
constexpr QPoint kSearchField(120, 147);
constexpr QPoint kFirstRow(80, 200);
constexpr QPoint kAddNote(312, 104);

}  // namespace

TEST(ClipboardWindowRoad, SearchesPastesBackAndKeepsANoteAcrossARestart) {
    NiveloRoad road(e2eRoadOptions());
    XSession& session = road.session();
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    const QString editor = session.startAndActivate("mousepad", "mousepad", true);
    ASSERT_FALSE(editor.isEmpty());
    XSession::pause(500);
    for (const QString text : {"first copied text", "second copied text", "third copied text"}) {
        ASSERT_TRUE(road.typeAndCopy(text)) << road.diagnostics("clipboard-copy").toStdString();
    }
    session.key("End");

    const QPoint pointer(300, 150);
    const QString window = openWindow(road, pointer);
    ASSERT_FALSE(window.isEmpty()) << road.diagnostics("clipboard-open").toStdString();
    const QRect g = session.windowGeometry(window);
    EXPECT_EQ(g.left(), pointer.x() + 14);
    EXPECT_EQ(g.top(), pointer.y() - 18);
    EXPECT_EQ(session.xdotool({"getactivewindow"}).trimmed(), editor);
    std::cout << "Clipboard window: " << session.screenshot("clipboard-window").toStdString()
              << std::endl;

    click(session, g.topLeft() + kSearchField);
    XSession::pause(300);
    session.type("SECOND");
    XSession::pause(400);
    std::cout << "Searched: " << session.screenshot("clipboard-search").toStdString() << std::endl;
    click(session, g.topLeft() + kFirstRow, 2);
    ASSERT_TRUE(XSession::waitUntil([&] { return session.visibleWindowOfInstance().isEmpty(); }))
        << road.diagnostics("clipboard-hide").toStdString();
    // The clipboard comes back once mousepad has taken the text (1.3 s after the paste). No
    // poll: a read of the clipboard meanwhile would be a fetch of the pasted text.
    XSession::pause(3500);
    EXPECT_EQ(session.clipboardText(), "third copied text");
    EXPECT_EQ(session.xdotool({"getactivewindow"}).trimmed(), editor);
    EXPECT_TRUE(XSession::waitUntil([&] {
        session.key("ctrl+a");
        session.key("ctrl+c");
        return session.clipboardText() == "third copied textsecond copied text";
    })) << session.clipboardText().toStdString();

    // A note: "Add note", typed at once, saved with Ctrl+Return.
    session.key("End");
    const QString again = openWindow(road, pointer);
    ASSERT_FALSE(again.isEmpty());
    click(session, session.windowGeometry(again).topLeft() + kAddNote);
    XSession::pause(400);
    session.type("a note to keep");
    session.key("ctrl+Return");
    XSession::pause(400);
    std::cout << "Note: " << session.screenshot("clipboard-note").toStdString() << std::endl;
    const QString notesFile = session.path(".local/share/ai.nivelo.native/clipboard-notes.json");
    // A shown panel refuses to close (it hides); it must not keep a SIGTERM from ending us.
    ASSERT_FALSE(session.visibleWindowOfInstance().isEmpty());
    ASSERT_TRUE(road.stopNivelo());
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    QFile file(notesFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("\"a note to keep\""))
        << road.diagnostics("note").toStdString();
}
