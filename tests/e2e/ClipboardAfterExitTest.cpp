#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>

#include "E2eRoadOptions.h"

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

// The keeper processes of this display, serving or waiting for their nivelo.
QList<qint64> keepersOf(const QString& display) {
    QList<qint64> keepers;
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile cmdline("/proc/" + entry + "/cmdline");
        QFile environ("/proc/" + entry + "/environ");
        if (!cmdline.open(QIODevice::ReadOnly) || !environ.open(QIODevice::ReadOnly)) {
            continue;
        }
        QFile stat("/proc/" + entry + "/stat");
        const bool zombie = stat.open(QIODevice::ReadOnly) && stat.readAll().contains(") Z ");
        if (!zombie && cmdline.readAll().contains("--keep-clipboard") &&
            environ.readAll().split('\0').contains(("DISPLAY=" + display).toUtf8())) {
            keepers.append(entry.toLongLong());
        }
    }
    return keepers;
}

// The keeper process serving this display's clipboard; 0 when none runs.
qint64 keeperOf(const QString& display) {
    const QList<qint64> keepers = keepersOf(display);
    return keepers.isEmpty() ? 0 : keepers.first();
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// nivelo with the test editor, answering on the selection alone.
NiveloRoad::Options roadOptions() {
    NiveloRoad::Options options = e2eRoadOptions();
    options.defaults = {{"nivelo.autoSelectAllBeforeAction", "false"}};
    return options;
}

class ClipboardAfterExit : public ::testing::TestWithParam<bool> {};

// What the user copied, as the copying client serves it.
struct CopiedContent {
    bool image = false;
    QByteArray bytes;
};

// An image, or a text with a no-break space, a tab, a CR LF and trailing spaces.
CopiedContent copiedContent(bool image) {
    if (image) {
        return {true, pngBytes()};
    }
    return {false, QByteArray("Счёт: 10\xc2\xa0"
                              "000 руб.\n\ttab\r\nend  ")};
}

class ClipboardAfterCrash : public ::testing::TestWithParam<bool> {
protected:
    // Copies the content with xclip (which exits once nivelo takes the clipboard), runs an
    // action in the editor and waits until nivelo has given the content back.
    void copyAndRunAnAction(NiveloRoad& road, const CopiedContent& content) {
        road.session().start(NIVELO_TEST_EDITOR, {"--dump", road.session().path("crash.txt"),
                                                  "--title", "Crash Editor", "--text", "One two."});
        const QString window = road.session().waitForWindow("Crash Editor");
        ASSERT_FALSE(window.isEmpty());
        ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
        road.session().activate(window);
        if (content.image) {
            const QString file = road.session().path("user.png");
            QFile out(file);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(content.bytes);
            out.close();
            road.session().setClipboardImage(file);
        } else {
            road.session().setClipboardText(QString::fromUtf8(content.bytes));
        }
        ASSERT_EQ(road.session().clipboardData(target(content)), content.bytes);
        road.session().key("ctrl+a");
        road.pressAltHotKey("1");
        ASSERT_TRUE(XSession::waitUntil(
            [&] { return fileBytes(road.session().path("crash.txt")) == "ONE TWO."; }, 8000));
        ASSERT_TRUE(XSession::waitUntil(
            [&] { return road.session().clipboardData(target(content)) == content.bytes; }));
    }

    static QString target(const CopiedContent& content) {
        return content.image ? QStringLiteral("image/png") : QStringLiteral("UTF8_STRING");
    }
};

}  // namespace

// Quit after an action, or a SIGTERM while an editor that answers Copy late is being read:
// either way the user's image is still on the clipboard byte for byte, and a later copy by
// another client ends the keeper.
TEST_P(ClipboardAfterExit, TheUsersClipboardOutlivesNivelo) {
    const bool midRead = GetParam();
    NiveloRoad road(roadOptions());
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
        XSession::pause(500);
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

// A keeper left by a quit serves the user's clipboard until another client owns it, whatever
// comes between: a new nivelo's action clears the clipboard and gives it back, then the user
// copies. The old keeper has ended by then; no keeper is left once nivelo quits again.
TEST(ClipboardAfterExitAgain, AKeeperLeftByAQuitEndsAtTheNextOwner) {
    NiveloRoad road(roadOptions());
    ASSERT_TRUE(road.session().isReady()) << road.session().error().toStdString();
    const QByteArray png = pngBytes();
    const QString file = road.session().path("user.png");
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(png);
    }
    road.session().setClipboardImage(file);
    qint64 firstKeeper = 0;
    for (const QString& text : {QStringLiteral("One two."), QStringLiteral("Three four.")}) {
        SCOPED_TRACE(text.toStdString());
        const QString title = "Again " + text;
        const QString dump = road.session().path(QString::number(qHash(text)) + ".txt");
        // A copy that comes a little late, as from a busy application: the clipboard has no
        // owner for a while after the read cleared it.
        road.session().start(NIVELO_TEST_EDITOR, {"--dump", dump, "--title", title, "--text", text,
                                                  "--copy-delay", "100"});
        const QString window = road.session().waitForWindow(title);
        ASSERT_FALSE(window.isEmpty());
        ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
        road.session().activate(window);
        road.session().key("ctrl+a");
        road.pressAltHotKey("1");
        ASSERT_TRUE(
            XSession::waitUntil([&] { return fileBytes(dump) == text.toUpper().toUtf8(); }, 20000));
        ASSERT_TRUE(
            XSession::waitUntil([&] { return road.session().clipboardData("image/png") == png; }));
        if (firstKeeper == 0) {
            ASSERT_TRUE(road.stopNivelo());
            firstKeeper = keeperOf(road.session().display());
            ASSERT_NE(firstKeeper, 0);
            EXPECT_EQ(road.session().clipboardData("image/png"), png);
        }
    }

    road.session().setClipboardText("copied later");
    EXPECT_TRUE(XSession::waitUntil(
        [&] { return !keepersOf(road.session().display()).contains(firstKeeper); }));
    EXPECT_LE(keepersOf(road.session().display()).size(), 1);
    ASSERT_TRUE(road.stopNivelo());
    EXPECT_TRUE(XSession::waitUntil([&] { return keepersOf(road.session().display()).isEmpty(); }));
    EXPECT_EQ(road.session().clipboardText(), "copied later");
}

INSTANTIATE_TEST_SUITE_P(QuitAndSigterm, ClipboardAfterExit, ::testing::Values(false, true),
                         [](const auto& info) {
                             return std::string(info.param ? "SigtermMidRead" : "AfterAnAction");
                         });

// nivelo killed after an action, while it owns the clipboard it gave back and the client that
// copied is gone: the user's content is still served, byte for byte, until somebody copies.
TEST_P(ClipboardAfterCrash, TheUsersClipboardOutlivesAKill) {
    const CopiedContent content = copiedContent(GetParam());
    NiveloRoad road(roadOptions());
    ASSERT_TRUE(road.session().isReady()) << road.session().error().toStdString();
    copyAndRunAnAction(road, content);
    if (HasFatalFailure()) {
        return;
    }

    const QStringList history = road.storedClipboardHistory();
    if (!content.image) {
        EXPECT_EQ(history, QStringList{QString::fromUtf8(content.bytes).trimmed()});
    }
    ASSERT_TRUE(road.killNivelo());
    EXPECT_TRUE(XSession::waitUntil(
        [&] { return road.session().clipboardData(target(content)) == content.bytes; }, 8000));
    EXPECT_NE(keeperOf(road.session().display()), 0);
    // A new nivelo takes what the keeper serves as already seen: no entry of its own.
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    XSession::pause(1500);
    EXPECT_EQ(road.storedClipboardHistory(), history);
    road.session().setClipboardText("copied later");
    EXPECT_TRUE(XSession::waitUntil([&] { return keeperOf(road.session().display()) == 0; }));
    EXPECT_EQ(road.session().clipboardText(), "copied later");
}

// A copy made in another application after the action is the user's newest: nivelo's death
// does not bring the older content back over it.
TEST_P(ClipboardAfterCrash, ANewerCopyStaysAfterAKill) {
    const CopiedContent content = copiedContent(GetParam());
    NiveloRoad road(roadOptions());
    ASSERT_TRUE(road.session().isReady()) << road.session().error().toStdString();
    copyAndRunAnAction(road, content);
    if (HasFatalFailure()) {
        return;
    }
    road.session().setClipboardText("copied in another application");
    ASSERT_EQ(road.session().clipboardText(), "copied in another application");

    ASSERT_TRUE(road.killNivelo());
    EXPECT_TRUE(XSession::waitUntil([&] { return keeperOf(road.session().display()) == 0; }));
    // Long enough for a keeper that would take the clipboard to have done so.
    XSession::pause(1500);
    EXPECT_EQ(road.session().clipboardText(), "copied in another application");
    if (content.image) {
        EXPECT_NE(road.session().clipboardData("image/png"), content.bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(ImageAndText, ClipboardAfterCrash, ::testing::Values(true, false),
                         [](const auto& info) {
                             return std::string(info.param ? "Image" : "Text");
                         });
