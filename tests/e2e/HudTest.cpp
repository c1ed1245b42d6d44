#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>

#include "E2eRoadOptions.h"

// The status HUD of the real binary during a Fix run in a maximised mousepad: shown without
// taking the focus, centred above the bottom of the screen, cut to its rounded surface, and
// gone shortly after the paste.
TEST(Hud, ShowsCentredWithoutTakingTheFocusAndLeavesAfterThePaste) {
    NiveloRoad road(e2eRoadOptions());
    XSession& session = road.session();
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    QElapsedTimer clock;
    clock.start();
    qint64 answeredAt = -1;
    road.backend().setHandler([&](const RecordedRequest& request) {
        CannedReply reply = CannedReply::result(NiveloRoad::standInAnswer(
            QJsonDocument::fromJson(request.body).object().value("text").toString()));
        reply.delayMs = 1000;
        answeredAt = clock.elapsed() + reply.delayMs;
        return reply;
    });
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();

    const QString editor = session.startAndActivate("mousepad", "mousepad", true);
    ASSERT_FALSE(editor.isEmpty());
    XSession::waitUntil([] { return false; }, 500);
    session.type("hello hud");
    XSession::waitUntil([] { return false; }, 300);
    ASSERT_TRUE(session.visibleWindowOfInstance().isEmpty());

    const QStringList screen = session.xdotool({"getdisplaygeometry"}).split(' ');
    const int screenWidth = screen.value(0).toInt();
    const int screenHeight = screen.value(1).trimmed().toInt();
    const QImage before(session.screenshot("hud-before"));
    ASSERT_FALSE(before.isNull());

    road.pressAltHotKey("1");
    QString hud;
    ASSERT_TRUE(
        XSession::waitUntil([&] { return !(hud = session.visibleWindowOfInstance()).isEmpty(); }));
    const QRect g = session.windowGeometry(hud);
    EXPECT_EQ(g.width(), 260);
    EXPECT_GE(g.height(), 72);
    EXPECT_NEAR(g.x() + g.width() / 2.0, screenWidth / 2.0, 1.0);
    EXPECT_EQ(g.y() + g.height(), screenHeight - 82);
    EXPECT_EQ(session.xdotool({"getactivewindow"}).trimmed(), editor);

    const QString shot = session.screenshot("hud-fix-running");
    const QImage during(shot);
    ASSERT_FALSE(during.isNull());
    std::cout << "HUD screenshot: " << shot.toStdString() << std::endl;
    // Outside the rounded surface the desktop shows through: the window's corners (in the
    // shadow margin) and the surface rectangle's own corners (cut by the rounding).
    const int m = 18;
    const QList<QPoint> outside = {{g.x(), g.y()},
                                   {g.x() + g.width() - 1, g.y()},
                                   {g.x(), g.y() + g.height() - 1},
                                   {g.x() + g.width() - 1, g.y() + g.height() - 1},
                                   {g.x() + m, g.y() + m},
                                   {g.x() + g.width() - 1 - m, g.y() + m},
                                   {g.x() + m, g.y() + g.height() - 1 - m},
                                   {g.x() + g.width() - 1 - m, g.y() + g.height() - 1 - m}};
    for (const QPoint& p : outside) {
        EXPECT_EQ(during.pixel(p), before.pixel(p)) << p.x() << "," << p.y();
    }
    const QPoint centre(g.x() + g.width() / 2, g.y() + g.height() / 2);
    EXPECT_NE(during.pixel(centre), before.pixel(centre));

    // Still up until the answer is in and pasted; then gone 0.9 s after the done status,
    // which follows the paste and its clipboard restore.
    ASSERT_TRUE(XSession::waitUntil([&] { return answeredAt >= 0; }, 20000));
    ASSERT_TRUE(
        XSession::waitUntil([&] { return session.visibleWindowOfInstance().isEmpty(); }, 20000));
    const qint64 hiddenAfterAnswer = clock.elapsed() - answeredAt;
    EXPECT_GE(hiddenAfterAnswer, 900);
    EXPECT_LE(hiddenAfterAnswer, 900 + 1300 + 1000);
    EXPECT_EQ(session.xdotool({"getactivewindow"}).trimmed(), editor);

    // The paste happened: what the editor holds, read by copying it.
    session.key("ctrl+a");
    session.key("ctrl+c");
    EXPECT_TRUE(XSession::waitUntil([&] { return session.clipboardText() == "HELLO HUD"; }))
        << session.clipboardText().toStdString();
}
