// The settings window in the real binary: it opens on the General page, keeps its minimum
// size, a toggle clicked on the page is stored in defaults.ini at once, and with "Keep NiveloAI
// in menu bar when closing" switched off there, closing the window ends the process.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QSize>
#include <iostream>

#include "support/XSession.h"

namespace {

QString storedDefaults(const XSession& session) {
    QFile file(session.path(".config/ai.nivelo.native/defaults.ini"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QSize clientSize(const XSession& session, const QString& window) {
    const QString geometry = session.run("xdotool", {"getwindowgeometry", window});
    const QString size = geometry.section(QStringLiteral("Geometry: "), 1).trimmed();
    return QSize(size.section('x', 0, 0).toInt(), size.section('x', 1, 1).toInt());
}

}  // namespace

TEST(SettingsWindowRoad, OpensOnGeneralAndStoresAClickedToggle) {
    XSession session;
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    QProcess* nivelo = session.start(NIVELO_BINARY, {});
    const QString window = session.waitForWindow(QStringLiteral("^NiveloAI$"));
    ASSERT_FALSE(window.isEmpty());

    session.run("xdotool", {"windowsize", window, "300", "200"});
    ASSERT_TRUE(XSession::waitUntil([&] { return clientSize(session, window).width() > 0; }));
    const QSize size = clientSize(session, window);
    EXPECT_GE(size.width(), 760);
    EXPECT_GE(size.height(), 500);

    // "Open main window on launch": the first toggle, below the menu bar and three pickers.
    session.run("xdotool", {"mousemove", "--window", window, "320", "268", "click", "1"});
    EXPECT_TRUE(XSession::waitUntil([&] {
        return storedDefaults(session).contains("openMainWindowOnLaunch=false");
    })) << storedDefaults(session).toStdString();
    std::cout << "settings window: " << session.screenshot("settings-general").toStdString()
              << std::endl;

    // "Keep NiveloAI in menu bar when closing" off: closing the window now ends the process.
    session.run("xdotool", {"mousemove", "--window", window, "320", "336", "click", "1"});
    ASSERT_TRUE(XSession::waitUntil([&] {
        return storedDefaults(session).contains("closeToMenuBar=false");
    })) << storedDefaults(session).toStdString();
    session.run("wmctrl", {"-i", "-c", window});
    EXPECT_TRUE(nivelo->waitForFinished(10000));
    EXPECT_EQ(nivelo->exitCode(), 0);
}
