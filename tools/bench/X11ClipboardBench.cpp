// Large copies on a real X display, recorded by the clipboard history as the app wires it: an
// `xclip` copy of 2.7 million characters and one of 20 MB, each followed by small ones. Reports
// the GUI thread's longest stall from the copy until the history holds it, the same for the
// small copies after it, and the resident memory; for comparison, how long reading the copy
// through Qt's clipboard holds the GUI thread. Run it on a display of its own:
//   xvfb-run -a build/tools/bench/nivelo_x11_clipboard_bench
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>

#include "StallMeter.h"
#include "clipboard/ClipboardHistoryService.h"
#include "platform/IniDefaults.h"
#include "platform/RealClock.h"
#include "platform/x11/X11Pasteboard.h"

namespace {

// Copies by another client. xclip serves a file until the next copy takes the clipboard; it
// is started by a shell begun while this process was small, so that no fork of a large
// process is counted as the history's stall.
class Copier {
public:
    Copier() {
        shell_.start(QStringLiteral("sh"));
        shell_.waitForStarted();
    }
    ~Copier() {
        shell_.write("pkill -x xclip; exit\n");
        shell_.waitForFinished();
    }
    void copy(const QString& file) {
        shell_.write("xclip -quiet -selection clipboard -i '" + file.toUtf8() + "' &\n");
    }

private:
    QProcess shell_;
};

QString fileOf(const QString& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir + QLatin1Char('/') + name;
    QFile out(path);
    out.open(QIODevice::WriteOnly);
    out.write(bytes);
    return path;
}

QByteArray textOf(qsizetype chars, int seed) {
    const QByteArray words = "Съешь же ещё этих мягких булок, the quick brown fox. ";
    QString text = QString::number(seed) + QLatin1Char(' ');
    const QString unit = QString::fromUtf8(words);
    while (text.size() < chars) {
        text += unit;
    }
    text.truncate(chars);
    return text.toUtf8();
}

// Runs the event loop until the history's newest entry is `chars` characters long.
bool recorded(ClipboardHistoryService& history, qsizetype chars) {
    for (int waited = 0; waited < 30000; waited += 20) {
        if (!history.items().isEmpty() && history.items().first().text.size() == chars) {
            return true;
        }
        runEventLoop(20);
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "needs an X display: xvfb-run -a %s\n", argv[0]);
        return 2;
    }
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    Copier copier;
    RealClock clock;
    X11Pasteboard pasteboard;
    auto store = std::make_unique<IniDefaults>(dir.path() + QStringLiteral("/history.ini"));
    ClipboardHistoryService history(pasteboard, clock, *store);
    QTimer poller;
    QObject::connect(&poller, &QTimer::timeout, &history, [&] { history.poll(); });
    poller.start(int(ClipboardHistoryService::kPollIntervalMs));
    StallMeter meter;
    std::printf("resident %.0f MB at start\n", residentMb());

    const struct {
        const char* name;
        QByteArray bytes;
    } large[] = {{"2.7M characters", textOf(2700000, 1)},
                 {"20 MB", QByteArray(20 * 1024 * 1024, 'a') + " end"}};
    int seed = 100;
    for (const auto& copyOf : large) {
        const QString file = fileOf(dir.path(), QStringLiteral("large"), copyOf.bytes);
        const qsizetype chars = QString::fromUtf8(copyOf.bytes).trimmed().size();
        runEventLoop(300);
        meter.take();
        {
            copier.copy(file);
            const bool ok = recorded(history, chars);
            const auto stall = meter.take();
            std::printf(
                "%-16s recorded %s: longest stall %6.1f ms (own %6.1f ms), resident %4.0f MB\n",
                copyOf.name, ok ? "yes" : "NO", stall.longest, stall.own, residentMb());
            // What the GUI thread waited when it read the copy through Qt.
            QElapsedTimer reading;
            reading.start();
            const qsizetype read =
                QGuiApplication::clipboard()->mimeData()->data(QStringLiteral("text/plain")).size();
            std::printf("  reading it through Qt's clipboard instead: %6.1f ms (%lld bytes)\n",
                        reading.nsecsElapsed() / 1e6, static_cast<long long>(read));
            // That wait shows at the meter's next tick: not the small copies'.
            runEventLoop(50);
            meter.take();
        }
        StallMeter::Stall worst{0, 0};
        for (int i = 0; i < 5; ++i) {
            const QByteArray small = textOf(200, ++seed);
            copier.copy(fileOf(dir.path(), QStringLiteral("small%1").arg(i), small));
            recorded(history, QString::fromUtf8(small).trimmed().size());
            const auto one = meter.take();
            worst = {std::max(worst.longest, one.longest), std::max(worst.own, one.own)};
        }
        std::printf("  then 5 small: longest stall %6.1f ms (own %6.1f ms), resident %4.0f MB\n",
                    worst.longest, worst.own, residentMb());
    }
    store->sync();
    return 0;
}
