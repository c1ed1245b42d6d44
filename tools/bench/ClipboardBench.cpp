// Costs of the clipboard stores at their sizes of use: a history of 1000 entries of 200
// characters in its defaults file (one record with its save, one poll when nothing was
// copied) and 20 notes tabs of 100 notes (one save with its backup). With "large": a copy of
// 2.7 million characters and one of 20 MB, each followed by ten small ones, recorded through
// the poll on a running event loop: the event loop's longest stall, the CPU time of a small
// copy with its save, and the resident memory. Reports numbers only.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

#include "clipboard/ClipboardHistoryService.h"
#include "clipboard/ClipboardNotesService.h"
#include "clipboard/ClipboardSettingsSource.h"
#include "core/NiveloSettings.h"
#include "platform/IniDefaults.h"
#include "platform/MemoryDefaults.h"
#include "platform/RealClock.h"
#include "support/SimulatedPasteboard.h"
#include "support/VirtualClock.h"

namespace {

class FixedSettings : public ClipboardSettingsSource {
public:
    FixedSettings() { value_.clipboardLimit = 1000; }
    const NiveloSettings& settings() const override { return value_; }
    Subscription subscribeSettings(std::function<void(const NiveloSettings&)>) override {
        return {};
    }

private:
    NiveloSettings value_;
};

QString textOf(int chars, int seed) {
    const QString words = QStringLiteral("Съешь же ещё этих мягких булок, the quick brown fox. ");
    QString text = QString::number(seed) + QLatin1Char(' ');
    while (text.size() < chars) {
        text += words;
    }
    text.truncate(chars);
    return text.trimmed() + QLatin1Char('.');
}

// CPU time of this thread: on a busy machine the wall time also counts the waits for a core.
double cpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

struct Summary {
    double median;
    double max;
};

Summary summarize(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.back()};
}

void benchHistory(const QString& dir) {
    VirtualClock clock;
    SimulatedPasteboard pasteboard;
    IniDefaults store(dir + QStringLiteral("/clipboard-history.ini"));
    ClipboardHistoryService history(pasteboard, clock, store);
    FixedSettings settings;
    history.attach(settings);
    QList<ClipboardHistoryItem> items;
    for (int i = 0; i < 1000; ++i) {
        const QString text = textOf(200, i);
        items.append({QString::number(i), text, clock.currentDateTime(), text.size()});
    }
    history.setItems(items);
    history.save();

    std::vector<double> records;
    std::vector<double> recordsCpu;
    for (int i = 0; i < 100; ++i) {
        clock.advance(1);
        QElapsedTimer timer;
        timer.start();
        const double cpu = cpuMs();
        history.record(textOf(200, 5000 + i));
        recordsCpu.push_back(cpuMs() - cpu);
        records.push_back(timer.nsecsElapsed() / 1e6);
    }
    const Summary record = summarize(records);
    const Summary recordCpu = summarize(recordsCpu);
    std::vector<double> encodings;
    for (int i = 0; i < 100; ++i) {
        QElapsedTimer timer;
        timer.start();
        const QByteArray bytes = ClipboardHistoryItem::encodeList(history.items());
        encodings.push_back(timer.nsecsElapsed() / 1e6);
    }
    const Summary encoding = summarize(encodings);

    constexpr int kPolls = 1000000;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kPolls; ++i) {
        history.poll();
    }
    const double pollMs = timer.nsecsElapsed() / 1e6 / kPolls;

    std::printf("history: %lld entries, file %lld bytes\n",
                static_cast<long long>(history.items().size()),
                static_cast<long long>(QFile(store.filePath()).size()));
    std::printf("  record with its save:  median %7.3f ms, max %7.3f ms   target < 20 ms\n",
                record.median, record.max);
    std::printf("    on the CPU:          median %7.3f ms\n", recordCpu.median);
    std::printf("    of which the JSON:   median %7.3f ms (the rest is the defaults file)\n",
                encoding.median);
    std::printf("  poll with no change:   mean %9.6f ms                target < 0.05 ms\n", pollMs);
}

void benchNotes(const QString& dir) {
    VirtualClock clock;
    MemoryDefaults defaults;
    ClipboardNotesService notes(defaults, clock, dir + QStringLiteral("/ai.nivelo.native"));
    QList<ClipboardNoteTab> tabs;
    const QDateTime now = clock.currentDateTime();
    for (int t = 0; t < 20; ++t) {
        ClipboardNoteTab tab{
            QStringLiteral("TAB-%1").arg(t), QStringLiteral("Tab %1").arg(t), {}, now, now};
        for (int n = 0; n < 100; ++n) {
            tab.notes.append(
                {QStringLiteral("NOTE-%1-%2").arg(t).arg(n), textOf(100, n), now, now});
        }
        tabs.append(tab);
    }
    notes.setTabs(tabs);
    notes.save();

    std::vector<double> saves;
    std::vector<double> savesCpu;
    for (int i = 0; i < 50; ++i) {
        QElapsedTimer timer;
        timer.start();
        const double cpu = cpuMs();
        notes.save();
        savesCpu.push_back(cpuMs() - cpu);
        saves.push_back(timer.nsecsElapsed() / 1e6);
    }
    const Summary save = summarize(saves);
    const Summary saveCpu = summarize(savesCpu);
    std::printf("notes: 20 tabs of 100 notes, file %lld bytes\n",
                static_cast<long long>(QFile(notes.filePath()).size()));
    std::printf("  save with its backup:  median %7.3f ms, max %7.3f ms   target < 20 ms\n",
                save.median, save.max);
    std::printf("    on the CPU:          median %7.3f ms\n", saveCpu.median);
}

double processCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

double residentMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
        }
    }
    return 0;
}

// The longest wait of a 1 ms timer on the event loop beyond its interval: what any event waits
// at most. It costs little CPU of its own, measured idle and taken off the copies' figures.
class StallMeter : public QObject {
public:
    StallMeter() {
        connect(&timer_, &QTimer::timeout, this, [this] {
            const double now = clock_.nsecsElapsed() / 1e6;
            longest_ = std::max(longest_, now - last_);
            last_ = now;
        });
        clock_.start();
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.start(1);
    }
    double takeLongest() {
        const double longest = std::max(0.0, longest_ - 1.0);
        longest_ = 0;
        return longest;
    }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    double last_ = 0;
    double longest_ = 0;
};

void runEventLoop(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void benchLargeCopies(const QString& dir) {
    RealClock clock;
    SimulatedPasteboard pasteboard;
    std::printf("large copies: resident %.0f MB at start\n", residentMb());
    {
        auto store = std::make_unique<IniDefaults>(dir + QStringLiteral("/clipboard-history.ini"));
        ClipboardHistoryService history(pasteboard, clock, *store);
        StallMeter meter;
        // Copied on the event loop, as the poll does; the saves get time to end before the next.
        auto copy = [&](const QString& text, int settleMs) {
            QTimer::singleShot(0, &history, [&, text] {
                pasteboard.putText(text);
                history.poll();
            });
            runEventLoop(settleMs);
        };
        const struct {
            const char* name;
            QString text;
        } large[] = {
            {"2.7M characters", textOf(2700000, 1)},
            {"20 MB", QString(20 * 1024 * 1024, QLatin1Char('a')) + QStringLiteral(" end")}};
        int seed = 100;
        const double idleStart = processCpuMs();
        runEventLoop(1500);
        const double idle = (processCpuMs() - idleStart) / 1500.0;
        std::printf("  idle event loop: %.1f ms of CPU per second (taken off below)\n",
                    idle * 1000);
        for (const auto& copyOf : large) {
            runEventLoop(200);
            meter.takeLongest();
            const double cpu = processCpuMs();
            copy(copyOf.text, 4000);
            std::printf("  %-16s longest stall %8.1f ms, CPU %7.1f ms, resident %5.0f MB\n",
                        copyOf.name, meter.takeLongest(), processCpuMs() - cpu - idle * 4000,
                        residentMb());
            std::vector<double> cpus;
            double stall = 0;
            for (int i = 0; i < 10; ++i) {
                const double before = processCpuMs();
                copy(textOf(200, ++seed), 1500);
                cpus.push_back(processCpuMs() - before - idle * 1500);
                stall = std::max(stall, meter.takeLongest());
            }
            const Summary small = summarize(cpus);
            std::printf(
                "  then 10 small:   longest stall %8.1f ms, CPU per copy median %7.1f ms, "
                "max %7.1f ms, resident %5.0f MB\n",
                stall, small.median, small.max, residentMb());
        }
        store.reset();
    }
    std::printf(
        "  after the history ended: resident %.0f MB; file %lld bytes\n", residentMb(),
        static_cast<long long>(QFile(dir + QStringLiteral("/clipboard-history.ini")).size()));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (argc > 1 && QByteArray(argv[1]) == "large") {
        benchLargeCopies(dir.path());
        return 0;
    }
    benchHistory(dir.path());
    benchNotes(dir.path());
    return 0;
}
