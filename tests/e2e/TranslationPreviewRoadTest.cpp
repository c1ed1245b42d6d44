#include <gtest/gtest.h>

#include <QFile>
#include <QPoint>
#include <algorithm>
#include <optional>

#include "support/NiveloTree.h"

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

// "From Clipboard" with the history off: a large copy is still being read at the press, which
// is not an empty clipboard. Every round copies anew and presses once.
TEST(TranslationPreviewRoad, FromClipboardTranslatesALargeCopyOnTheFirstPress) {
    NiveloRoad::Options options = e2eRoadOptions();
    options.accessibilityBus = true;
    options.defaults = {{"nivelo.clipboardHistory.enabled", "false"}};
    NiveloRoad road(options);
    XSession& session = road.session();
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    road.backend().setHandler([](const RecordedRequest&) { return CannedReply::result("Done"); });
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    const QString editor = session.startAndActivate("mousepad", "mousepad", true);
    ASSERT_FALSE(editor.isEmpty());
    XSession::pause(500);
    session.type("hallo");
    session.key("ctrl+a");
    NiveloTree tree(session, road.nivelo()->processId());

    QStringList failed;
    for (int round = 1; round <= 3; ++round) {
        // The preview opened anew over the word: a long translation of the round before ends.
        session.activate(editor);
        const int opened = road.backend().requestCount();
        road.pressAltHotKey("r");
        ASSERT_TRUE(XSession::waitUntil([&] { return !previewWindow(session).isEmpty(); }, 20000))
            << road.diagnostics("preview-open").toStdString();
        ASSERT_TRUE(
            XSession::waitUntil([&] { return road.backend().requestCount() > opened; }, 20000));
        XSession::pause(1000);

        QByteArray copied = "Round " + QByteArray::number(round) + ": ";
        while (copied.size() < (4 << 20)) {
            copied += "a large copy of many words. ";
        }
        const QString file = session.path(QStringLiteral("large-%1.txt").arg(round));
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(copied) == copied.size());
        out.close();
        session.start("xclip", {"-selection", "clipboard", "-i", file});
        ASSERT_TRUE(XSession::waitUntil(
            [&] { return session.clipboardData("TARGETS").contains("UTF8_STRING"); }));
        std::optional<QRect> button;
        ASSERT_TRUE(XSession::waitUntil(
            [&] { return (button = tree.find("From Clipboard")).has_value(); }));
        const int before = road.backend().requestCount();
        clickAt(session, *button);
        // The text goes out in pieces; the first names the round.
        const QByteArray named = "Round " + QByteArray::number(round) + ":";
        const bool sent = XSession::waitUntil(
            [&] {
                const auto requests = road.backend().requests();
                return std::any_of(
                    requests.begin() + before, requests.end(),
                    [&](const auto& request) { return request.body.contains(named); });
            },
            20000);
        if (!sent) {
            failed << QStringLiteral("round %1").arg(round);
        }
        session.key("Escape");
        ASSERT_TRUE(XSession::waitUntil([&] { return previewWindow(session).isEmpty(); }));
    }
    EXPECT_TRUE(failed.isEmpty()) << failed.join(", ").toStdString();
}
