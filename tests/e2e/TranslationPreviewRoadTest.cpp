#include <gtest/gtest.h>

#include <QPoint>

#include "E2eRoadOptions.h"

// The translation preview of the real binary over a word selected in mousepad: Alt+R opens it
// near the pointer with the keyboard, "Insert" puts the translation in place of the word and
// gives the user's clipboard back, Escape closes it.
namespace {

QString previewWindow(const XSession& session) {
    return session.visibleWindowTitled("^NiveloAI Translation Preview$");
}

}  // namespace

TEST(TranslationPreviewRoad, AltROpensThePreviewAndInsertPutsTheTranslationInPlace) {
    NiveloRoad road(e2eRoadOptions());
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
        XSession::waitUntil([&] { return !(panel = previewWindow(session)).isEmpty(); }, 20000))
        << road.diagnostics("preview-open").toStdString();
    const QPoint origin = session.windowGeometry(panel).topLeft();
    EXPECT_EQ(origin, QPoint(pointer.x() + 14, pointer.y() - 18));
    EXPECT_TRUE(XSession::waitUntil(
        [&] { return session.xdotool({"getactivewindow"}).trimmed() == panel; }));
    ASSERT_TRUE(XSession::waitUntil([&] { return road.backend().requestCount() >= 1; }, 20000));
    EXPECT_TRUE(road.backend().requests().at(0).body.contains("\"text\":\"hallo\""));
    // The answer (and its resend) come at once; "Insert" is on once it is shown.
    XSession::waitUntil([] { return false; }, 1000);

    // "Insert" sits at the bottom-right corner of the 680 × 460 panel.
    const QPoint insert = origin + QPoint(680 - 16 - 40, 460 - 16 - 12);
    session.xdotool(
        {"mousemove", QString::number(insert.x()), QString::number(insert.y()), "click", "1"});
    EXPECT_TRUE(XSession::waitUntil([&] { return previewWindow(session).isEmpty(); }));
    // The paste and the restore of the clipboard 1.3 s later; no key may come between.
    XSession::waitUntil([] { return false; }, 2500);
    EXPECT_EQ(session.clipboardText(), "the user's clipboard");
    const bool inserted = XSession::waitUntil([&] {
        session.key("ctrl+a");
        session.key("ctrl+c");
        return session.clipboardText() == "keep HALLO";
    });
    EXPECT_TRUE(inserted) << road.diagnostics("preview-insert").toStdString();
    EXPECT_EQ(session.xdotool({"getactivewindow"}).trimmed(), editor);

    // Escape in the preview closes it.
    road.pressAltHotKey("r");
    ASSERT_TRUE(XSession::waitUntil([&] { return !previewWindow(session).isEmpty(); }, 20000));
    ASSERT_TRUE(XSession::waitUntil(
        [&] { return session.xdotool({"getactivewindow"}).trimmed() == previewWindow(session); }));
    session.key("Escape");
    EXPECT_TRUE(XSession::waitUntil([&] { return previewWindow(session).isEmpty(); }));
}
