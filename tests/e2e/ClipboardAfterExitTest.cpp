#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>

#include "support/NiveloRoad.h"

// The clipboard nivelo gave back outlives nivelo: its keeper serves it until somebody copies.
namespace {

QByteArray pngBytes() {
    QImage image(9, 5, QImage::Format_RGB32);
    image.fill(Qt::darkMagenta);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// The keeper process serving this display's clipboard; 0 when none runs.
qint64 keeperOf(const QString& display) {
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile cmdline("/proc/" + entry + "/cmdline");
        QFile environ("/proc/" + entry + "/environ");
        if (!cmdline.open(QIODevice::ReadOnly) || !environ.open(QIODevice::ReadOnly)) {
            continue;
        }
        QFile stat("/proc/" + entry + "/stat");
        const bool zombie = stat.open(QIODevice::ReadOnly) && stat.readAll().contains(") Z ");
        if (!zombie && cmdline.readAll().contains("--serve-clipboard") &&
            environ.readAll().split('\0').contains(("DISPLAY=" + display).toUtf8())) {
            return entry.toLongLong();
        }
    }
    return 0;
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool waitAWhile(int ms) {
    return XSession::waitUntil([] { return false; }, ms);
}

class ClipboardAfterExit : public ::testing::TestWithParam<bool> {};

}  // namespace

// Quit after an action, or a SIGTERM while an editor that answers Copy late is being read:
// either way the user's image is still on the clipboard byte for byte, and a later copy by
// another client ends the keeper.
TEST_P(ClipboardAfterExit, TheUsersClipboardOutlivesNivelo) {
    const bool midRead = GetParam();
    NiveloRoad::Options options;
    options.niveloBinary = NIVELO_BINARY;
    options.testEditor = NIVELO_TEST_EDITOR;
    options.defaults = {{"nivelo.autoSelectAllBeforeAction", "false"}};
    NiveloRoad road(options);
    ASSERT_TRUE(road.session().isReady()) << road.session().error().toStdString();
    road.session().start(NIVELO_TEST_EDITOR,
                         {"--dump", road.session().path("slow.txt"), "--title", "Keeper Editor",
                          "--text", "One two.", "--copy-delay", midRead ? "3000" : "0"});
    const QString window = road.session().waitForWindow("Keeper Editor");
    ASSERT_FALSE(window.isEmpty());
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    road.session().activate(window);
    const QByteArray png = pngBytes();
    const QString file = road.session().path("user.png");
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(png);
    }
    road.session().setClipboardImage(file);
    road.session().key("ctrl+a");

    road.pressAltHotKey("1");
    if (midRead) {
        // The read clears the clipboard before each Copy; the editor has not answered yet.
        waitAWhile(500);
    } else {
        ASSERT_TRUE(XSession::waitUntil(
            [&] { return fileBytes(road.session().path("slow.txt")) == "ONE TWO."; }, 20000));
        ASSERT_TRUE(
            XSession::waitUntil([&] { return road.session().clipboardData("image/png") == png; }));
    }
    ASSERT_TRUE(road.stopNivelo());

    EXPECT_EQ(road.session().clipboardData("image/png"), png);
    const qint64 keeper = keeperOf(road.session().display());
    EXPECT_NE(keeper, 0);
    road.session().setClipboardText("copied later");
    EXPECT_TRUE(XSession::waitUntil([&] { return keeperOf(road.session().display()) == 0; }));
    EXPECT_EQ(road.session().clipboardText(), "copied later");
}

INSTANTIATE_TEST_SUITE_P(QuitAndSigterm, ClipboardAfterExit, ::testing::Values(false, true),
                         [](const auto& info) {
                             return std::string(info.param ? "SigtermMidRead" : "AfterAnAction");
                         });
