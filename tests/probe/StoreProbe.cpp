// The app's stores over one data folder and one settings file, driven line by line on
// standard input, so that a test can restart them as a new process, the way the app starts.
//
//   nivelo-store-probe DATA_FOLDER SETTINGS_FILE
//
// Commands, each answered with "ok" once done:
//   note TEXT       adds a note to the first tab (made first, "Notes", when there is none)
//   copy TEXT       records a copied text in the clipboard history
//   set KEY VALUE   stores a setting
//   dump            prints "note TEXT" per note, "copy TEXT" per history entry (newest
//                   first) and "setting KEY" per stored setting
// At the end of the input it quits as the app does, so a save that failed is tried again.
#include <csignal>
#include <iostream>
#include <string>

#include <QCoreApplication>
#include <QTimer>

#include "clipboard/ClipboardHistoryService.h"
#include "clipboard/ClipboardNotesService.h"
#include "platform/IniDefaults.h"
#include "platform/RealClock.h"
#include "support/SimulatedPasteboard.h"

namespace {

void run(const QString& line, IniDefaults& settings, ClipboardNotesService& notes,
         ClipboardHistoryService& history) {
    const QString command = line.section(' ', 0, 0);
    const QString rest = line.section(' ', 1);
    if (command == "note") {
        if (notes.tabs().isEmpty()) {
            notes.addTab("Notes");
        }
        notes.addNote(notes.tabs().first().id, rest);
    } else if (command == "copy") {
        history.record(rest);
    } else if (command == "set") {
        settings.setString(rest.section(' ', 0, 0), rest.section(' ', 1));
        settings.sync();
    } else if (command == "dump") {
        for (const ClipboardNoteTab& tab : notes.tabs()) {
            for (const ClipboardNoteItem& note : tab.notes) {
                std::cout << "note " << note.text.toStdString() << '\n';
            }
        }
        for (const ClipboardHistoryItem& item : history.items()) {
            std::cout << "copy " << item.text.toStdString() << '\n';
        }
        for (const QString& key : settings.keys()) {
            std::cout << "setting " << key.toStdString() << '\n';
        }
    }
    std::cout << "ok" << std::endl;
}

}  // namespace

int main(int argc, char** argv) {
    // A file-size limit must fail the write, not end the process.
    std::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::cerr << "usage: nivelo-store-probe DATA_FOLDER SETTINGS_FILE\n";
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    RealClock clock;
    SimulatedPasteboard pasteboard;
    IniDefaults settings(QString::fromLocal8Bit(argv[2]));
    IniDefaults historyStore(folder + "/clipboard-history.ini");
    ClipboardNotesService notes(settings, clock, folder);
    ClipboardHistoryService history(pasteboard, clock, historyStore);
    for (std::string line; std::getline(std::cin, line);) {
        run(QString::fromStdString(line), settings, notes, history);
    }
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return app.exec();
}
