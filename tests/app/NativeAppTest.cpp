#include <QAction>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <cerrno>
#include <csignal>

#include "ShellFixture.h"
#include "app/MainWindow.h"
#include "app/NiveloAppDelegate.h"
#include "app/NiveloNativeApp.h"
#include "clipboard/ClipboardHistoryService.h"
#include "clipboard/ClipboardNotesService.h"
#include "platform/IniDefaults.h"
#include "platform/SaveReport.h"
#include "support/SimulatedPasteboard.h"
#include "support/SmallDisk.h"

// The app on a platform that cannot carry the desktop services: only the shell runs.
using NativeAppTest = ShellFixture;

// Reopen opens and wires a missing window and shows one closed into the menu bar as it is,
// wiring nothing again.
TEST_F(NativeAppTest, ReopenOpensAMissingWindowAndShowsAClosedOne) {
    defaults_->setBool("nivelo.openMainWindowOnLaunch", false);
    NiveloNativeApp app(platform_);
    app.launch();
    VirtualClock::flushEvents();
    EXPECT_EQ(app.mainWindow(), nullptr);
    app.reopen();
    QPointer<MainWindow> window = app.mainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(app.appDelegate().isDelegateOf(window));  // before any activation
    VirtualClock::flushEvents();
    EXPECT_EQ(app.startupRuns(), 2);

    EXPECT_FALSE(window->close());
    clock_->advance(1000);
    ASSERT_TRUE(window);
    EXPECT_FALSE(app.isTerminating());
    app.reopen();
    VirtualClock::flushEvents();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(app.startupRuns(), 2);
}

// Quit must get through even though the close handler would hide the window.
TEST_F(NativeAppTest, TerminateMarksTerminationBeforeAnyWindowIsAskedThenStopsObserving) {
    NiveloNativeApp app(platform_);
    app.launch();
    VirtualClock::flushEvents();
    EmissionCounter terminated(&app, &NiveloNativeApp::terminated);
    app.terminate();
    EXPECT_TRUE(app.mainWindow()->close());
    app.terminate();
    EXPECT_EQ(terminated.count(), 1);
    EXPECT_EQ(defaults_->syncs, 1);  // the settings are written out
    app.finishTermination();
    clock_->advance(1000);  // the rule's retries after the close above
    EmissionCounter changes(&DockPresence::shared(), &DockPresence::policyChanged);
    auto* window = new QWidget();
    window->show();
    EXPECT_TRUE(window->close());
    clock_->advance(5000);
    EXPECT_EQ(changes.count(), 0);
}

// At quit, a save that still cannot be written is said once more, and the app waits the failed
// status's time before it goes, so the user sees it; with everything written it goes at once.
TEST_F(NativeAppTest, QuitWithUnsavedDataSaysSoOnceMoreAndStaysWhileItShows) {
    for (const bool unsaved : {true, false}) {
        SCOPED_TRACE(unsaved ? "unsaved" : "all written");
        platform_.saveReport = std::make_unique<SaveReport>(*clock_);
        int said = 0;
        QObject::connect(platform_.saveReport.get(), &SaveReport::saveFailed, [&] { ++said; });
        const int notes = 0;
        platform_.saveReport->failed(&notes, ENOSPC);
        if (!unsaved) {
            platform_.saveReport->saved(&notes);
        }
        NiveloNativeApp app(platform_);
        app.launch();
        VirtualClock::flushEvents();
        const std::size_t pending = clock_->pendingCount();
        app.terminate();
        EXPECT_EQ(said, unsaved ? 2 : 1);
        EXPECT_EQ(clock_->pendingCount(), pending + (unsaved ? 1 : 0));
        app.finishTermination();
        clock_->advance(5000);
        platform_.saveReport.reset();
    }
}

// At quit every store writes what it holds before anything is called unsaved: notes whose
// write failed while the disk was full, and a long copy still being measured, reach their
// files, and the user hears no false "Could not save".
TEST_F(NativeAppTest, QuitWritesEveryStoreBeforeItCallsAnythingUnsaved) {
    std::signal(SIGXFSZ, SIG_IGN);
    SmallDisk disk;
    platform_.saveReport = std::make_unique<SaveReport>(*clock_);
    SaveReport* report = platform_.saveReport.get();
    auto& settings = *new IniDefaults(disk.path("defaults.ini"), report);
    platform_.defaults.reset(&settings);
    const QString historyFile = disk.path("history.ini");
    platform_.clipboardHistoryDefaults = std::make_unique<IniDefaults>(historyFile, report);
    int said = 0;
    QObject::connect(report, &SaveReport::saveFailed, [&] { ++said; });
    {
        ClipboardNotesService notes(settings, *clock_, disk.path("data"), report);
        SimulatedPasteboard pasteboard;
        ClipboardHistoryService history(pasteboard, *clock_, *platform_.clipboardHistoryDefaults,
                                        report);
        NiveloNativeApp app(platform_);
        app.launch();
        const QString tab = notes.addTab("Notes").id;
        settings.sync();
        ASSERT_NO_FATAL_FAILURE(disk.fill(::getpid()));
        notes.addNote(tab, QString(SmallDisk::kPage, 'n'));
        ASSERT_EQ(said, 1);
        ASSERT_NO_FATAL_FAILURE(disk.makeRoom(::getpid()));
        history.record(QString(ClipboardHistoryService::kMeasureAsideChars, 'c'));

        const std::size_t pending = clock_->pendingCount();
        app.terminate();
        EXPECT_EQ(said, 1);
        // The failed save's try again ends with the good writes, and quit waits for nothing.
        EXPECT_EQ(clock_->pendingCount(), pending - 1);
        const auto kept = ClipboardHistoryItem::decodeList(
            IniDefaults(historyFile).dataValue(ClipboardHistoryService::kStorageKey).value_or(""));
        EXPECT_EQ(kept.value_or(QList<ClipboardHistoryItem>()).size(), 1);
        QFile notesFile(notes.filePath());
        ASSERT_TRUE(notesFile.open(QIODevice::ReadOnly));
        EXPECT_EQ(ClipboardNoteTab::decodeList(notesFile.readAll()), notes.tabs());
        app.finishTermination();
    }
    platform_.clipboardHistoryDefaults.reset();
    platform_.defaults.reset();
    platform_.saveReport.reset();
}

// Command is Super here; the quick menu command works without the services.
TEST_F(NativeAppTest, MainWindowIsAnOpaqueShellWithOneCommandMenu) {
    NiveloNativeApp app(platform_);
    app.launch();
    VirtualClock::flushEvents();
    MainWindow* window = app.mainWindow();
    const QList<QAction*> menus = window->menuBar()->actions();
    ASSERT_EQ(menus.size(), 1);
    EXPECT_EQ(menus.first()->text(), "NiveloAI");
    const QList<QAction*> items = menus.first()->menu()->actions();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items.first()->text(), "Show Quick Menu");
    EXPECT_EQ(items.first()->shortcut(), QKeySequence("Meta+Shift+Space"));
    EXPECT_EQ(window->findChild<QAction*>(QStringLiteral("showQuickMenu")), items.first());
    items.first()->trigger();
    const QImage image = window->grab().toImage();
    EXPECT_EQ(qAlpha(image.pixel(image.width() / 2, image.height() / 2)), 255);
}
