#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QMap>
#include <algorithm>
#include <vector>

#include "support/XSession.h"
#include "theme/NiveloTheme.h"

// The tray icon on real panels: tint2 with its own dark default look, tint2 painted white, and
// trayer tinted dark.
// A screenshot of the tray must show the glyph at 3:1 or more against the panel.
namespace {

const char kWhitePanel[] = R"(
background_color = #ffffff 100
border_width = 0
panel_items = S
panel_size = 100% 30
panel_position = bottom center horizontal
panel_background_id = 1
systray_background_id = 0
systray_icon_size = 24
)";

struct TrayShot {
    QColor panel;
    // The contrast against the panel that at least a dozen pixels of the icon reach.
    double glyphContrast = 0;
};

// The icon's square on the screen: the panel shows at its corners, the glyph inside.
TrayShot measure(const QImage& screen, const QRect& icon) {
    TrayShot shot;
    const QImage square = screen.copy(icon).convertToFormat(QImage::Format_RGB32);
    if (square.width() < 8 || square.height() < 8) {
        return shot;
    }
    shot.panel = square.pixelColor(0, 0);
    std::vector<double> contrasts;
    for (int y = 0; y < square.height(); ++y) {
        for (int x = 0; x < square.width(); ++x) {
            contrasts.push_back(NiveloTheme::contrastRatio(square.pixelColor(x, y), shot.panel));
        }
    }
    std::sort(contrasts.rbegin(), contrasts.rend());
    shot.glyphContrast = contrasts.at(11);
    return shot;
}

class TrayIcon : public ::testing::TestWithParam<const char*> {
protected:
    XSession session;
};

}  // namespace

TEST_P(TrayIcon, StandsOutOnThePanel) {
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    QStringList args;
    if (QString(GetParam()) == "white") {
        QFile config(session.path("tint2-white.rc"));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write(kWhitePanel);
        config.close();
        args << "-c" << config.fileName();
    }
    const bool trayer = QString(GetParam()).startsWith("trayer");
    if (trayer) {
        // trayer tinted near-black, as dark desktop themes have it.
        ASSERT_FALSE(
            session
                .startTrayer({"--edge", "bottom", "--align", "right", "--widthtype", "request",
                              "--height", "24", "--SetDockType", "true", "--transparent", "true",
                              "--alpha", "0", "--tint", "0x202020"})
                .isEmpty());
    } else {
        session.start("tint2", args);
    }
    const QString host = trayer ? "trayer" : "tint2";
    ASSERT_TRUE(XSession::waitUntil(
        [&] {
            return !session.xdotool({"search", "--class", host}).trimmed().isEmpty();
        },
        15000));
    ASSERT_TRUE(session.writeNiveloDefaults(
        {{"nivelo.openMainWindowOnLaunch", "false"}, {"nivelo.menuBarIconVisible", "true"}}));
    session.start(NIVELO_BINARY, {});
    // The icon's window: nivelo's only small one, whenever the tray took it in.
    QString icon;
    XSession::waitUntil(
        [&] {
            for (const QString& id :
                 session.xdotool({"search", "--onlyvisible", "--classname", "^nivelo$"})
                     .split('\n', Qt::SkipEmptyParts)) {
                const QRect g = session.windowGeometry(id);
                if (g.width() <= 32 && g.height() <= 32) {
                    icon = id;
                }
            }
            return !icon.isEmpty();
        },
        20000);
    ASSERT_FALSE(icon.isEmpty());

    TrayShot shot;
    QString picture;
    // The glyph is recoloured once the icon has seen the panel; allow a loaded machine time.
    XSession::waitUntil(
        [&] {
            const QRect where = session.windowGeometry(icon);
            picture = session.screenshot(QStringLiteral("tray-") + GetParam());
            shot = measure(QImage(picture), where);
            return shot.glyphContrast >= 3.0;
        },
        15000);
    EXPECT_GE(shot.glyphContrast, 3.0)
        << "panel " << shot.panel.name().toStdString() << ", " << picture.toStdString();
    if (QString(GetParam()) == "white") {
        EXPECT_GT(shot.panel.lightness(), 200);
    } else {
        EXPECT_LT(shot.panel.lightness(), 80);
    }
}

INSTANTIATE_TEST_SUITE_P(Panels, TrayIcon,
                         ::testing::Values("tint2-default", "white", "trayer-dark"));
