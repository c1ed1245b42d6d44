#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>

#include "E2eRoadOptions.h"

// The main road against the real binary: select text in an editor, press a hot key, and the
// text is replaced by the backend's answer while the user's clipboard comes back.
namespace {

NiveloRoad::Options roadOptions(QMap<QString, QString> defaults = {}, bool accessibility = false) {
    NiveloRoad::Options options = e2eRoadOptions();
    options.defaults = std::move(defaults);
    options.accessibilityBus = accessibility;
    return options;
}

const QMap<QString, QString> kSelectAllOff{{"nivelo.autoSelectAllBeforeAction", "false"}};

QByteArray pngBytes() {
    QImage image(10, 7, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Types two sentences on two lines and selects the second.
void typeTwoSentencesAndSelectTheSecond(NiveloRoad& road) {
    road.session().type("One two.");
    road.session().key("Return");
    road.session().type("Three four.");
    ASSERT_TRUE(road.waitForEditorText("One two.\nThree four."));
    road.session().key("shift+Home");
}

}  // namespace

TEST(Road, ReplacesOnlyTheSelectedSentenceAndGivesTheClipboardBack) {
    NiveloRoad road(roadOptions(kSelectAllOff));
    ASSERT_TRUE(road.session().isReady()) << road.session().error().toStdString();
    const QString window = road.startTestEditor("Road Editor");
    ASSERT_FALSE(window.isEmpty());
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    road.session().activate(window);
    road.session().setClipboardText("copied by the user");
    typeTwoSentencesAndSelectTheSecond(road);

    road.pressAltHotKey("1");
    EXPECT_TRUE(road.waitForEditorText("One two.\nTHREE FOUR."))
        << road.diagnostics("road-selection").toStdString();
    EXPECT_TRUE(XSession::waitUntil([&] {
        return road.session().clipboardText() == "copied by the user";
    })) << road.diagnostics("road-selection-clipboard").toStdString();
    ASSERT_EQ(road.backend().requestCount(), 1);
}

TEST(Road, GivesAnImageOnTheClipboardBackByteForByte) {
    NiveloRoad road(roadOptions(kSelectAllOff));
    ASSERT_TRUE(road.session().isReady()) << road.session().error().toStdString();
    const QString window = road.startTestEditor("Image Editor");
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
    typeTwoSentencesAndSelectTheSecond(road);

    road.pressAltHotKey("1");
    EXPECT_TRUE(road.waitForEditorText("One two.\nTHREE FOUR."))
        << road.diagnostics("road-image").toStdString();
    EXPECT_TRUE(XSession::waitUntil([&] {
        return road.session().clipboardData("image/png") == png;
    })) << road.diagnostics("road-image-clipboard").toStdString();
}

// The default: with nothing selected the whole text is the action's input.
TEST(Road, WithSelectAllOnTheWholeTextIsReplaced) {
    NiveloRoad road(roadOptions());
    ASSERT_TRUE(road.session().isReady()) << road.session().error().toStdString();
    const QString window = road.startTestEditor("Whole Editor");
    ASSERT_FALSE(window.isEmpty());
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    road.session().activate(window);
    road.session().setClipboardText("kept");
    road.session().type("One two.");
    road.session().key("Return");
    road.session().type("Three four.");
    ASSERT_TRUE(road.waitForEditorText("One two.\nThree four."));

    road.pressAltHotKey("1");
    EXPECT_TRUE(road.waitForEditorText("ONE TWO.\nTHREE FOUR."))
        << road.diagnostics("road-whole").toStdString();
    EXPECT_TRUE(XSession::waitUntil([&] { return road.session().clipboardText() == "kept"; }))
        << road.diagnostics("road-whole-clipboard").toStdString();
}

// Two windows of one editor: the answer lands in the one the user was in, even when our own
// window came to the front while the backend was thinking (the paste activates the editor
// again).
TEST(Road, TheTextLandsInTheWindowTheUserWasIn) {
    NiveloRoad road(roadOptions(kSelectAllOff));
    ASSERT_TRUE(road.session().isReady()) << road.session().error().toStdString();
    road.backend().setHandler([](const RecordedRequest& request) {
        CannedReply reply = CannedReply::result(NiveloRoad::standInAnswer(
            QJsonDocument::fromJson(request.body).object().value("text").toString()));
        reply.delayMs = 1500;
        return reply;
    });
    const QString first = road.startTestEditor("Twin", 2);
    ASSERT_FALSE(first.isEmpty());
    const QString second = road.session().waitForWindow("Twin 2");
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    road.session().activate(first);
    road.session().type("first window");
    ASSERT_TRUE(road.waitForEditorText("first window", 1));
    road.session().activate(second);
    road.session().type("second window");
    ASSERT_TRUE(road.waitForEditorText("second window", 2));
    road.session().key("shift+Home");

    road.pressAltHotKey("1");
    // A second launch brings our main window to the front while the answer is on its way.
    XSession::waitUntil([&] { return road.backend().requestCount() == 1; }, 20000);
    road.session().run(NIVELO_BINARY, {});
    EXPECT_FALSE(road.session().waitForWindow("^NiveloAI$", 3000).isEmpty());
    EXPECT_TRUE(road.waitForEditorText("SECOND WINDOW", 2))
        << road.diagnostics("road-two-windows").toStdString();
    EXPECT_EQ(road.editorText(1), "first window");
}

// The backend down, or answering 500: the editor keeps its text and the clipboard its content.
TEST(Road, AFailingBackendLeavesTextAndClipboardAlone) {
    for (const bool up : {false, true}) {
        NiveloRoad::Options options = roadOptions(kSelectAllOff);
        options.backendUp = up;
        NiveloRoad road(options);
        ASSERT_TRUE(road.session().isReady()) << road.session().error().toStdString();
        road.backend().setHandler([](const RecordedRequest&) {
            return CannedReply::json(500, R"({"error":"stand-in failure"})");
        });
        const QString window = road.startTestEditor("Failing Editor");
        ASSERT_FALSE(window.isEmpty());
        ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
        road.session().activate(window);
        road.session().setClipboardText("still mine");
        typeTwoSentencesAndSelectTheSecond(road);

        road.pressAltHotKey("1");
        if (up) {
            ASSERT_TRUE(
                XSession::waitUntil([&] { return road.backend().requestCount() == 1; }, 20000));
        }
        XSession::pause(2500);
        EXPECT_EQ(road.editorText(), "One two.\nThree four.")
            << road.diagnostics("road-down").toStdString();
        EXPECT_EQ(road.session().clipboardText(), "still mine")
            << road.diagnostics("road-down-clipboard").toStdString();
    }
}

// The layout fix: "ghbdtn" typed in the us layout becomes "привет", the layout becomes ru, and
// the backend hears nothing. With the accessibility bus the selection is replaced there; without
// it the copy road does it. Twenty times in a row, without a single wrong paste.
class LayoutRoad : public ::testing::TestWithParam<bool> {};

TEST_P(LayoutRoad, FixesTextTypedInTheWrongLayoutTwentyTimes) {
    NiveloRoad road(roadOptions({}, GetParam()));
    ASSERT_TRUE(road.session().isReady()) << road.session().error().toStdString();
    const QString window = road.startTestEditor("Layout Editor");
    ASSERT_FALSE(window.isEmpty());
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    road.session().activate(window);
    road.session().setClipboardText("the user's clipboard");

    for (int round = 1; round <= 20; ++round) {
        road.lockLayoutGroup(0);
        road.session().key("ctrl+a");
        road.session().key("BackSpace");
        ASSERT_TRUE(road.waitForEditorText(""));
        road.session().type("ghbdtn");
        ASSERT_TRUE(road.waitForEditorText("ghbdtn"));
        road.session().key("shift+Home");

        road.pressAltHotKey("a");
        ASSERT_TRUE(road.waitForEditorText(QString::fromUtf8("привет")))
            << "round " << round << ": " << road.diagnostics("road-layout").toStdString();
        EXPECT_TRUE(XSession::waitUntil([&] { return road.session().currentLayoutGroup() == 1; }))
            << "round " << round;
        ASSERT_TRUE(XSession::waitUntil([&] {
            return road.session().clipboardText() == "the user's clipboard";
        })) << "round "
            << round << ": " << road.diagnostics("road-layout-clipboard").toStdString();
    }
    EXPECT_EQ(road.backend().requestCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutAccessibility, LayoutRoad, ::testing::Bool(),
                         [](const auto& info) {
                             return info.param ? "AccessibilityBus" : "CopyRoad";
                         });

// Real editors of both toolkits: the whole text goes through the road and comes back replaced.
class EditorRoad : public ::testing::TestWithParam<const char*> {};

TEST_P(EditorRoad, ReplacesTheTextOfARealEditor) {
    NiveloRoad road(roadOptions());
    ASSERT_TRUE(road.session().isReady()) << road.session().error().toStdString();
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    const QString program = GetParam();
    const QString window = road.session().startAndActivate(program, program);
    ASSERT_FALSE(window.isEmpty());
    XSession::pause(300);
    road.session().setClipboardText("clipboard before");
    road.session().type("hello editor");

    road.pressAltHotKey("1");
    ASSERT_TRUE(XSession::waitUntil([&] { return road.backend().requestCount() == 1; }, 20000))
        << road.diagnostics(QString("road-%1").arg(program)).toStdString();
    // The answer is pasted and the clipboard restored within about 1.7 s of the answer (the
    // clipboard is already back once after the read, so it cannot tell the paste is over).
    XSession::pause(2500);
    EXPECT_EQ(road.session().clipboardText(), "clipboard before")
        << road.diagnostics(QString("road-%1-clipboard").arg(program)).toStdString();
    // What the editor holds, read the only way a real editor tells: copy it.
    road.session().key("ctrl+a");
    road.session().key("ctrl+c");
    EXPECT_TRUE(XSession::waitUntil([&] {
        return road.session().clipboardText() == "HELLO EDITOR";
    })) << road.diagnostics(QString("road-%1-text").arg(program)).toStdString();
}

INSTANTIATE_TEST_SUITE_P(GtkAndQt, EditorRoad, ::testing::Values("mousepad", "featherpad"),
                         [](const auto& info) { return std::string(info.param); });
