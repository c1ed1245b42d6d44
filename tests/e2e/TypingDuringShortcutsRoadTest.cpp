#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

#include "E2eRoadOptions.h"

namespace {
// The editor's key log: each press as its key, lower-cased, and whether Control came with it.
QList<std::pair<QString, bool>> loggedKeys(const QString& path) {
    QFile file(path);
    QList<std::pair<QString, bool>> keys;
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : file.readAll().split('\n')) {
            keys.append(
                {QString::fromUtf8(line.split(' ').value(0)).toLower(), line.endsWith("control")});
        }
    }
    return keys;
}
}  // namespace

// Letters typed 40 ms apart while a hot key's action sends its Select All and Copy: each reaches
// the editor as typed, none with Control, through Fix, the layout fix and a reply. (Typing
// replaces the selection, so the reads find nothing and nothing is pasted.)
TEST(TypingDuringShortcutsRoad, LettersTypedMeanwhileNeverGainControl) {
    NiveloRoad road(e2eRoadOptions());
    XSession& session = road.session();
    ASSERT_TRUE(session.isReady()) << session.error().toStdString();
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
    const QString keyLog = session.path("keys.txt");
    const QString editor = road.startTestEditor("Typing Editor", 1, {"--keys", keyLog});
    ASSERT_FALSE(editor.isEmpty());

    const QString letters = "bdefghijklmnopqrstuwxyz";
    const auto shortcuts = [&] {
        int count = 0;
        for (const auto& [key, control] : loggedKeys(keyLog)) {
            count += control && (key == "a" || key == "c");
        }
        return count;
    };
    const QList<QStringList> hotKeys{{"Alt_L", "1"}, {"Alt_L", "a"}, {"Super_L", "Alt_L", "1"}};
    for (const QStringList& hotKey : hotKeys) {
        SCOPED_TRACE(hotKey.join('+').toStdString());
        road.lockLayoutGroup(0);
        ASSERT_TRUE(session.activate(editor));
        session.type("one");
        session.key("shift+Home");
        const int sent = shortcuts();
        // xdotool spends half its delay between a key's press and release.
        QProcess* typist = session.start("xdotool", {"type", "--delay", "80", letters});
        XSession::pause(100);
        road.pressKeys(hotKey);
        EXPECT_TRUE(XSession::waitUntil([&] { return typist->state() == QProcess::NotRunning; }));
        EXPECT_TRUE(XSession::waitUntil([&] { return shortcuts() > sent; }))
            << road.diagnostics("typing").toStdString();
        // The reads give up on their own.
        XSession::pause(1500);
    }

    QStringList withControl;
    int typed = 0;
    for (const auto& [key, control] : loggedKeys(keyLog)) {
        if (key.size() == 1 && letters.contains(key)) {
            ++typed;
            if (control) {
                withControl.append(key);
            }
        }
    }
    EXPECT_GE(typed, letters.size() * 2);
    EXPECT_TRUE(withControl.isEmpty()) << withControl.join(' ').toStdString();
}
