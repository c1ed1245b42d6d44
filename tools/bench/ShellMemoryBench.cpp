// What a shown main window costs in memory, part by part, on a private Xvfb with openbox:
// each variant runs in a fresh process (`--child <variant>`) and reports its resident memory
// once the window is exposed and idle, against a process with no window at all. Variants:
// a bare top-level widget of the main window's size, the main window's shell (frame, menu
// bar, backdrop) with no page, and both after hiding (what a hidden window keeps).
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QWidget>
#include <QWindow>
#include <cstdio>

#include "app/MainWindow.h"
#include "support/XSession.h"

namespace {

const QStringList kVariants{"none", "bare", "shell", "bare-hidden", "shell-hidden"};

void settle(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

// Resident kB by kind: the windows' images shared with X (MIT-SHM), the heap and other
// anonymous memory, and library and program pages.
QMap<QString, qint64> residentParts() {
    QFile smaps("/proc/self/smaps");
    QMap<QString, qint64> parts;
    if (!smaps.open(QIODevice::ReadOnly)) {
        return parts;
    }
    QString kind;
    for (const QByteArray& line : smaps.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.value(0).contains('-') && fields.size() >= 5) {
            const QString name = QString::fromLocal8Bit(fields.value(5));
            kind = name.startsWith("/memfd:xorg") || name.startsWith("/SYSV") ? "x-images"
                   : name.isEmpty() || name.startsWith('[')                   ? "heap+anon"
                                                                              : "code+files";
        } else if (fields.value(0) == "Rss:") {
            parts[kind] += fields.value(1).toLongLong();
            parts["total"] += fields.value(1).toLongLong();
        } else if (fields.value(0) == "Private_Dirty:" || fields.value(0) == "Private_Clean:") {
            parts["private"] += fields.value(1).toLongLong();
        }
    }
    return parts;
}

int child(int argc, char** argv, const QString& variant) {
    QApplication app(argc, argv);
    std::unique_ptr<QWidget> window;
    if (variant.startsWith("bare")) {
        window = std::make_unique<QWidget>();
        window->resize(MainWindow::kMinimumWidth, MainWindow::kMinimumHeight);
    } else if (variant.startsWith("shell")) {
        window = std::make_unique<MainWindow>();
    }
    if (window) {
        window->show();
        QElapsedTimer t;
        t.start();
        while (!window->windowHandle()->isExposed() && t.elapsed() < 10000) {
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        }
    }
    settle(1000);
    if (window && variant.endsWith("hidden")) {
        window->hide();
        settle(500);
    }
    const QMap<QString, qint64> parts = residentParts();
    for (auto it = parts.cbegin(); it != parts.cend(); ++it) {
        std::printf("%s %lld\n", qPrintable(it.key()), static_cast<long long>(it.value()));
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 && QByteArray(argv[1]) == "--child") {
        return child(argc, argv, QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    XSession session;
    if (!session.isReady()) {
        std::fprintf(stderr, "No X session: %s\n", qPrintable(session.error()));
        return 1;
    }
    const QStringList kinds{"total", "x-images", "heap+anon", "code+files", "private"};
    std::printf("shell memory (kB resident, Xvfb + openbox; deltas against no window)\n");
    std::printf("%-13s", "variant");
    for (const QString& kind : kinds) {
        std::printf(" %11s", qPrintable(kind));
    }
    std::printf("\n");
    QMap<QString, qint64> base;
    for (const QString& variant : kVariants) {
        QProcess process;
        process.setProcessEnvironment(session.environment());
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QCoreApplication::applicationFilePath(), {"--child", variant});
        if (!process.waitForFinished(60000) || process.exitCode() != 0) {
            std::fprintf(stderr, "%s failed\n", qPrintable(variant));
            return 1;
        }
        QMap<QString, qint64> parts;
        for (const QByteArray& line : process.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> fields = line.split(' ');
            if (fields.size() == 2) {
                parts[QString::fromLatin1(fields[0])] = fields[1].toLongLong();
            }
        }
        if (variant == "none") {
            base = parts;
        }
        std::printf("%-13s", qPrintable(variant));
        for (const QString& kind : kinds) {
            const qint64 value = parts.value(kind);
            if (variant == "none") {
                std::printf(" %11lld", static_cast<long long>(value));
            } else {
                std::printf(" %+11lld", static_cast<long long>(value - base.value(kind)));
            }
        }
        std::printf("\n");
    }
    return 0;
}
