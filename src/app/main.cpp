#include <QApplication>
#include <QDir>
#include <cstdio>
#include <memory>

#include "app/NiveloAppDelegate.h"
#include "app/NiveloNativeApp.h"
#include "app/NiveloWindowPresenter.h"
#include "app/SingleInstance.h"
#include "app/StoreLeftovers.h"
#include "app/TerminationSignals.h"
#include "app/TrayAvailability.h"
#include "capture/PasteboardService.h"
#include "clipboard/ClipboardHistoryService.h"
#include "core/AppBuildConfiguration.h"
#include "platform/AppPaths.h"
#include "platform/Cld2LanguageRecognizer.h"
#include "platform/DefaultsSystemAppearance.h"
#include "platform/IniDefaults.h"
#include "platform/LargeBlocks.h"
#include "platform/Platform.h"
#include "platform/QProcessRunner.h"
#include "platform/QtHttpTransport.h"
#include "platform/QtScreens.h"
#include "platform/RealClock.h"
#include "platform/SaveReport.h"
#include "platform/x11/X11ClipboardKeeper.h"
#include "platform/x11/X11ClipboardKeeperProcess.h"
#include "platform/x11/X11ConnectionLoss.h"
#include "platform/x11/X11Platform.h"
#include "platform/x11/X11SelectionWatch.h"
#include "theme/NiveloStyle.h"

namespace {

// The real services this desktop has. The app state and what is wired to it run once the
// platform carries everything they stand on.
Platform buildPlatform(std::shared_ptr<X11Connection>& x11) {
    Platform platform;
    platform.clock = std::make_unique<RealClock>();
    platform.saveReport = std::make_unique<SaveReport>(*platform.clock);
    platform.defaults =
        std::make_unique<IniDefaults>(IniDefaults::standardPath(), platform.saveReport.get());
    platform.clipboardHistoryDefaults = std::make_unique<IniDefaults>(
        ClipboardHistoryService::standardStorePath(), platform.saveReport.get());
    platform.http = std::make_unique<QtHttpTransport>(*platform.clock);
    platform.languageRecognizer = std::make_unique<Cld2LanguageRecognizer>();
    platform.systemAppearance = std::make_unique<DefaultsSystemAppearance>(*platform.defaults);
    platform.processRunner = std::make_unique<QProcessRunner>();
    platform.screens = std::make_unique<QtScreens>();
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        x11 = addX11Services(platform);
    }
    return platform;
}

}  // namespace

int main(int argc, char** argv) {
    largeBlocks::returnToSystemWhenFreed();
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--version") {
            std::printf("NiveloAI %s (%lld)\n",
                        AppBuildConfiguration::currentVersion().toUtf8().constData(),
                        static_cast<long long>(AppBuildConfiguration::currentBuild()));
            return 0;
        }
        if (QByteArray(argv[i]) == X11ClipboardKeeper::kSwitch) {
            return X11ClipboardKeeperProcess::run(argc, argv);
        }
    }
    // The platform layer is X11; in a Wayland session the app runs through XWayland.
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "NiveloAI needs an X11 display; DISPLAY is not set.\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("NiveloAI"));
    QApplication::setDesktopFileName(QStringLiteral("ai.nivelo.native"));
    QApplication::setStyle(new NiveloStyle);

    // The lock comes before anything reads the stores it guards.
    SingleInstance instance(SingleInstance::standardPaths());
    const bool alone = instance.acquire();
    // When the lock cannot be written at all the app still runs, only without a hand-over.
    if (!alone && instance.isHeldElsewhere()) {
        // Another instance runs on this data folder: it shows its window, this one leaves.
        RealClock clock;
        InstanceHandOver handOver(instance.paths().socket, clock);
        QObject::connect(&handOver, &InstanceHandOver::finished, &app, [](bool answered) {
            if (!answered) {
                std::fprintf(stderr,
                             "NiveloAI already runs for this data folder (%s) and did not "
                             "answer.\n",
                             qPrintable(QDir::toNativeSeparators(AppPaths::dataDir())));
            }
            QCoreApplication::exit(answered ? 0 : 1);
        });
        handOver.start();
        return app.exec();
    }

    // No other instance writes our files: what a save cut short by a crash left goes.
    if (alone) {
        removeStoreLeftovers(AppPaths::dataDir(), IniDefaults::standardPath());
    }
    // Before any connection of our own opens: none of them may end the process.
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        X11ConnectionLoss::install();
    }
    std::shared_ptr<X11Connection> x11;
    Platform platform = buildPlatform(x11);
    Platform::setCurrent(&platform);

    // The tray is followed by its selection's owner, not asked at every re-apply of the dock
    // presence.
    std::unique_ptr<X11SelectionWatch> trayWatch;
    if (x11) {
        trayWatch =
            std::make_unique<X11SelectionWatch>(x11, X11SelectionWatch::systemTraySelection(*x11));
        NiveloAppDelegate::setTrayProbe(trayAvailability(*trayWatch));
    }
    int code = 0;
    {
        NiveloNativeApp nivelo(platform);
        TerminationSignals signals;
        QObject::connect(&signals, &TerminationSignals::terminationRequested, &nivelo,
                         [&nivelo](int) { nivelo.terminate(); });
        QObject::connect(&instance, &SingleInstance::showRequested, &nivelo,
                         [&nivelo] { nivelo.reopen(); });
        bool finished = false;
        const auto finish = [&] {
            if (!finished) {
                finished = true;
                nivelo.finishTermination();
            }
        };
        // The X server went (a logout, a restarted display): Qt exits the process; before it
        // does, the app ends as on SIGTERM, its stores written. The clipboard went with the
        // server.
        X11ConnectionLoss::install([&] {
            nivelo.terminate();
            finish();
        });
        nivelo.launch();
        instance.listen();
        code = app.exec();
        finish();
        // An action stopped midway gives the user's clipboard back, and the clipboard outlives
        // us.
        if (platform.pasteboard) {
            PasteboardService::shared().returnBorrowedPasteboard();
            platform.pasteboard->handOverAtExit();
        }
        X11ConnectionLoss::install();
    }
    NiveloAppDelegate::setTrayProbe({});
    Platform::setCurrent(nullptr);
    return code;
}
