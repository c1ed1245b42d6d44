#include <gtest/gtest.h>

#include <QPoint>
#include <QRect>
#include <iostream>

#include "support/NiveloRoad.h"

// The translation preview of the real binary over a word selected in mousepad: Alt+R opens it
// near the pointer with the keyboard, "Insert" puts the translation in place of the word and
// gives the user's clipboard back, Escape closes it.
namespace {

QRect windowGeometry(const XSession& session, const QString& window) {
    QRect g;
    for (const QString& line : session.xdotool({"getwindowgeometry", "--shell", window})
                                   .split('\n', Qt::SkipEmptyParts)) {
        const int value = line.section('=', 1).toInt();
        const QString key = line.section('=', 0, 0);
        if (key == "X") {
            g.moveLeft(value);
        } else if (key == "Y") {
            g.moveTop(value);
        } else if (key == "WIDTH") {
            g.setWidth(value);
        } else if (key == "HEIGHT") {
            g.setHeight(value);
        }
    }
    return g;
}

QString previewWindow(const XSession& session) {
    return session.xdotool({"search", "--onlyvisible", "--name", "^NiveloAI Translation Preview$"})
        .split('\n', Qt::SkipEmptyParts)
        .value(0);
}

}  // namespace

TEST(TranslationPreviewRoad, AltROpensThePreviewAndInsertPutsTheTranslationInPlace) {
    NiveloRoad::Options options;
    options.niveloBinary = NIVELO_BINARY;
    options.testEditor = NIVELO_TEST_EDITOR;
    NiveloRoad road(options);
    XSession& session = road.session();
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();

    const QString editor = session.startAndActivate("mousepad", "mousepad", true);
    ASSERT_FALSE(editor.isEmpty());
    XSession::waitUntil([] { return false; }, 500);
    session.type("keep hallo");
    session.key("ctrl+shift+Left");
    session.setClipboardText("the user's clipboard");
    session.activate(editor);

    const QPoint pointer(400, 120);
    session.xdotool({"mousemove", QString::number(pointer.x()), QString::number(pointer.y())});
    road.pressAltHotKey("r");
    QString panel;
    ASSERT_TRUE(
        XSession::waitUntil([&] { return !(panel = previewWindow(session)).isEmpty(); }, 8000))
        << road.diagnostics("preview-open").toStdString();
    const QRect g = windowGeometry(session, panel);
    EXPECT_EQ(g.topLeft(), QPoint(pointer.x() + 14, pointer.y() - 18));
    EXPECT_TRUE(XSession::waitUntil(
        [&] { return session.xdotool({"getactivewindow"}).trimmed() == panel; }));
    ASSERT_TRUE(XSession::waitUntil([&] { return road.backend().requestCount() >= 1; }, 8000));
    EXPECT_TRUE(road.backend().requests().at(0).body.contains("\"text\":\"hallo\""));
    XSession::waitUntil([] { return false; }, 600);
    std::cout << "Translation preview screenshot: "
              << session.screenshot("translation-preview").toStdString() << std::endl;

    // "Insert" sits at the bottom-right corner.
    const QPoint insert(g.right() - 16 - 40, g.bottom() - 16 - 12);
    session.xdotool(
        {"mousemove", QString::number(insert.x()), QString::number(insert.y()), "click", "1"});
    EXPECT_TRUE(XSession::waitUntil([&] { return previewWindow(session).isEmpty(); }));
    EXPECT_TRUE(XSession::waitUntil(
        [&] { return session.clipboardText() == "the user's clipboard"; }, 8000));
    XSession::waitUntil([] { return false; }, 500);
    const bool inserted = XSession::waitUntil([&] {
        session.key("ctrl+a");
        session.key("ctrl+c");
        return session.clipboardText() == "keep HALLO";
    });
    EXPECT_TRUE(inserted) << road.diagnostics("preview-insert").toStdString();
    EXPECT_EQ(session.xdotool({"getactivewindow"}).trimmed(), editor);

    // Escape in the preview closes it.
    road.pressAltHotKey("r");
    ASSERT_TRUE(XSession::waitUntil([&] { return !previewWindow(session).isEmpty(); }, 8000));
    ASSERT_TRUE(XSession::waitUntil(
        [&] { return session.xdotool({"getactivewindow"}).trimmed() == previewWindow(session); }));
    session.key("Escape");
    EXPECT_TRUE(XSession::waitUntil([&] { return previewWindow(session).isEmpty(); }));
}
