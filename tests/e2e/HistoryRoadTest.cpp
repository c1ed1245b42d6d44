#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>

#include "support/NiveloRoad.h"

// The clipboard history against the real binary: what the user copies in a real editor is
// recorded, kept in its own file and still there after nivelo restarts.
namespace {

QStringList storedHistory(const XSession& session) {
    QSettings file(session.path(".local/share/ai.nivelo.native/clipboard-history.ini"),
                   QSettings::IniFormat);
    QStringList texts;
    const QJsonArray items =
        QJsonDocument::fromJson(file.value("nivelo.clipboardItems.native").toByteArray()).array();
    for (const auto& item : items) {
        texts.append(item.toObject().value("text").toString());
    }
    return texts;
}

// Replaces the editor's text and copies it, the way a person would.
void typeAndCopy(const XSession& session, const QString& text) {
    session.key("ctrl+a");
    session.type(text);
    session.key("ctrl+a");
    session.key("ctrl+c");
    XSession::waitUntil([&] { return session.clipboardText() == text; }, 20000);
    // More than one poll apart.
    XSession::waitUntil([] { return false; }, 1000);
}

}  // namespace

TEST(HistoryRoad, CopiesInMousepadAreKeptNewestFirstAcrossARestart) {
    NiveloRoad::Options options;
    options.niveloBinary = NIVELO_BINARY;
    options.testEditor = NIVELO_TEST_EDITOR;
    NiveloRoad road(options);
    XSession& session = road.session();
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    const QString window = session.startAndActivate("mousepad", "mousepad");
    ASSERT_FALSE(window.isEmpty());
    XSession::waitUntil([] { return false; }, 300);

    const QStringList copies{"first copied text", "second copied text", "third copied text"};
    for (const QString& text : copies) {
        typeAndCopy(session, text);
    }
    const QStringList newestFirst{copies[2], copies[1], copies[0]};
    EXPECT_TRUE(XSession::waitUntil([&] { return storedHistory(session) == newestFirst; }))
        << storedHistory(session).join(" | ").toStdString();

    ASSERT_TRUE(road.stopNivelo());
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    // Start-up saved the history it loaded; a copy now goes in front of it.
    EXPECT_EQ(storedHistory(session), newestFirst);
    session.activate(window);
    typeAndCopy(session, "fourth copied text");
    EXPECT_TRUE(XSession::waitUntil([&] {
        return storedHistory(session) == QStringList{"fourth copied text"} + newestFirst;
    })) << storedHistory(session).join(" | ").toStdString();
}
