#include <gtest/gtest.h>

#include <QFile>

#include "E2eRoadOptions.h"

// A large answer into a GTK4 editor (GNOME Text Editor), which fetches it while it is busy:
// the whole answer lands in the document and the user's clipboard comes back afterwards.
class LargePaste : public ::testing::TestWithParam<int> {};

TEST_P(LargePaste, TheWholeAnswerLandsInAGtk4Editor) {
    NiveloRoad road(e2eRoadOptions());
    ASSERT_TRUE(road.session().isReady()) << road.session().error().toStdString();
    const QString line = QString("abcdefghij").repeated(9) + "\n";
    const QString answer = line.repeated(GetParam() / int(line.size()));
    road.backend().setHandler(
        [answer](const RecordedRequest&) { return CannedReply::result(answer); });
    const QString document = road.session().path("document.txt");
    {
        QFile file(document);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("hello world");
    }
    road.session().start("gnome-text-editor", {"--standalone", document});
    const QString window = road.session().waitForWindow("document", 20000);
    ASSERT_FALSE(window.isEmpty());
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    road.session().activate(window);
    road.session().setClipboardText("the user's clipboard");
    XSession::waitUntil([] { return false; }, 500);

    road.pressAltHotKey("1");
    ASSERT_TRUE(XSession::waitUntil([&] { return road.backend().requestCount() == 1; }, 20000));
    // Saved again and again until the document holds the answer: inserting takes a while.
    QByteArray saved;
    XSession::waitUntil(
        [&] {
            road.session().key("ctrl+s");
            XSession::waitUntil([] { return false; }, 1500);
            QFile file(document);
            saved = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
            return saved.size() >= answer.size();
        },
        40000);
    EXPECT_EQ(saved.size(), answer.size()) << road.diagnostics("large-paste").toStdString();
    EXPECT_TRUE(saved == answer.toUtf8());
    EXPECT_TRUE(XSession::waitUntil(
        [&] { return road.session().clipboardText() == "the user's clipboard"; }, 15000))
        << road.session().clipboardText().left(40).toStdString();
}

INSTANTIATE_TEST_SUITE_P(OneAndFiveMegabytes, LargePaste, ::testing::Values(1000000, 5000000),
                         [](const auto& info) {
                             return std::string(info.param == 1000000 ? "OneMegabyte"
                                                                      : "FiveMegabytes");
                         });
