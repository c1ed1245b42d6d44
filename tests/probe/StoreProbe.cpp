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
// It starts as the app does: with the data folder's lock it removes what saves cut short left.
// Between commands the event loop runs until the copies are measured and the writes it started,
// and the tries again they led to, have ended, as in the app. A save that cannot be written prints
// "failed MESSAGE" (in English) once per run of failures; between commands the event loop runs,
// so a failed save is tried again on its own. At the end of the input it quits as the
// app does: every store writes what it holds, and what is still unsaved is reported once more.
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <iostream>
#include <string>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include "app/SingleInstance.h"
#include "app/StoreLeftovers.h"
#include "clipboard/ClipboardHistoryService.h"
#include "clipboard/ClipboardNotesService.h"
#include "core/SaveFailure.h"
#include "platform/IniDefaults.h"
#include "platform/RealClock.h"
#include "platform/SaveReport.h"
#include "support/SimulatedPasteboard.h"

namespace {

struct Stores {
    IniDefaults& settings;
    IniDefaults& historyStore;
    ClipboardNotesService& notes;
    ClipboardHistoryService& history;
};

// The event loop's turns after a command, until it is idle: a long copy is measured, the
// queued writes start and end, and so do the tries again that a good write asks for.
void settle(Stores& stores) {
    do {
        while (stores.history.isRecording()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        stores.settings.waitForWrite();
        stores.historyStore.waitForWrite();
    } while (QAbstractEventDispatcher::instance()->processEvents(QEventLoop::AllEvents));
}

void run(const QString& line, Stores& stores) {
    IniDefaults& settings = stores.settings;
    ClipboardNotesService& notes = stores.notes;
    ClipboardHistoryService& history = stores.history;
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
    settle(stores);
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
    const QString settingsFile = QString::fromLocal8Bit(argv[2]);
    SingleInstance instance(SingleInstance::pathsFor(folder, folder));
    if (instance.acquire()) {
        removeStoreLeftovers(folder, settingsFile);
    }
    RealClock clock;
    SimulatedPasteboard pasteboard;
    SaveReport report(clock);
    QObject::connect(&report, &SaveReport::saveFailed, [](int error) {
        std::cout << "failed " << saveFailureMessage(UiLanguage::en, error).toStdString() << '\n';
    });
    IniDefaults settings(settingsFile, &report);
    IniDefaults historyStore(folder + "/clipboard-history.ini", &report);
    ClipboardNotesService notes(settings, clock, folder, &report);
    ClipboardHistoryService history(pasteboard, clock, historyStore, &report);
    Stores stores{settings, historyStore, notes, history};
    // The event loop runs while the next command is awaited, as in the app: a timer of the
    // stores (a failed save tried again) works with nothing else to do.
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    std::string pending;
    bool running = false;
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[65536];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got > 0) {
            pending.append(buffer, size_t(got));
        }
        // A command's own turns of the event loop may see more input: it waits its turn.
        if (!running) {
            running = true;
            for (std::size_t end = pending.find('\n'); end != std::string::npos;
                 end = pending.find('\n')) {
                const std::string line = pending.substr(0, end);
                pending.erase(0, end + 1);
                run(QString::fromStdString(line), stores);
            }
            running = false;
        }
        if (got > 0 || (got < 0 && errno == EINTR)) {
            return;
        }
        input.setEnabled(false);
        // As the app quits: the stores' last writes, then what is still unsaved.
        QTimer::singleShot(0, &app, [&] {
            report.prepareLastWrites();
            settings.sync();
            historyStore.sync();
            report.announceUnsaved();
            std::cout.flush();
            QCoreApplication::quit();
        });
    });
    return app.exec();
}
