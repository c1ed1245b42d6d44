// Costs of the clipboard stores at their sizes of use: a history of 1000 entries of 200
// characters in its defaults file (one record on the GUI thread, one poll when nothing was
// copied) and 20 notes tabs of 100 notes (one save with its backup). With "large": a copy of
// 2.7 million characters and one of 20 MB, each followed by ten small ones, recorded through
// the poll on a running event loop: the event loop's longest stall (and the part of it that
// was not a wait for a free core), the process's CPU time of a copy with its save, and the
// resident memory. Reports numbers only.
#include <fcntl.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <vector>

#include "StallMeter.h"
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
    std::printf("  record (GUI thread):   median %7.3f ms, max %7.3f ms   target < 20 ms\n",
                record.median, record.max);
    std::printf("    on the CPU:          median %7.3f ms\n", recordCpu.median);
    std::printf(
        "  the JSON of the list:  median %7.3f ms (encoded with the file off the GUI thread)\n",
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

void benchLargeCopies(const QString& dir) {
    RealClock clock;
    SimulatedPasteboard pasteboard;
    std::printf("large copies: resident %.0f MB at start\n", residentMb());
    {
        auto store = std::make_unique<IniDefaults>(dir + QStringLiteral("/clipboard-history.ini"));
        ClipboardHistoryService history(pasteboard, clock, *store);
        StallMeter meter;
        // The text goes on the pasteboard first; the poll reads and records it on the event
        // loop, and the saves get time to end before the next copy. The bench keeps no copy of
        // the text, so the memory is the app's.
        auto copy = [&](const QString& text, int settleMs) {
            pasteboard.putText(text);
            runEventLoop(100);
            meter.take();
            const double cpu = processCpuMs();
            QTimer::singleShot(0, &history, [&] { history.poll(); });
            runEventLoop(settleMs);
            return processCpuMs() - cpu;
        };
        const struct {
            const char* name;
            std::function<QString()> text;
        } large[] = {
            {"2.7M characters", [] { return textOf(2700000, 1); }},
            {"20 MB",
             [] { return QString(20 * 1024 * 1024, QLatin1Char('a')) + QStringLiteral(" end"); }}};
        int seed = 100;
        meter.take();
        const double idleStart = processCpuMs();
        runEventLoop(1500);
        const double idle = (processCpuMs() - idleStart) / 1500.0;
        const auto idleStall = meter.take();
        std::printf(
            "  idle event loop:  longest stall %6.1f ms (own %6.1f ms), CPU %.1f ms per "
            "second (taken off below)\n",
            idleStall.longest, idleStall.own, idle * 1000);
        for (const auto& copyOf : large) {
            const double cpu = copy(copyOf.text(), 4000) - idle * 4000;
            const auto stall = meter.take();
            std::printf(
                "  %-16s  longest stall %6.1f ms (own %6.1f ms), CPU %7.1f ms, resident "
                "%4.0f MB\n",
                copyOf.name, stall.longest, stall.own, cpu, residentMb());
            // The part of the stall that is the pasteboard's own read, not the history's.
            QElapsedTimer reading;
            reading.start();
            const qsizetype read = pasteboard.plainText().value_or(QString()).size();
            std::printf(
                "    of which reading the simulated pasteboard: %.1f ms (%lld characters)\n",
                reading.nsecsElapsed() / 1e6, static_cast<long long>(read));
            std::vector<double> cpus;
            StallMeter::Stall worst{0, 0};
            for (int i = 0; i < 10; ++i) {
                cpus.push_back(copy(textOf(200, ++seed), 1500) - idle * 1500);
                const auto one = meter.take();
                worst = {std::max(worst.longest, one.longest), std::max(worst.own, one.own)};
            }
            const Summary small = summarize(cpus);
            std::printf(
                "  then 10 small:    longest stall %6.1f ms (own %6.1f ms), CPU per copy "
                "median %7.1f ms, resident %4.0f MB\n",
                worst.longest, worst.own, small.median, residentMb());
        }
        qint64 units = 0;
        for (const ClipboardHistoryItem& item : history.items()) {
            units += item.text.size();
        }
        std::printf("  the history's texts: %.0f MB as UTF-16\n", units * 2 / 1048576.0);
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
