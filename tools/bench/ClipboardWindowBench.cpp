// Costs of the clipboard window over a history of 1000 entries of 200 characters: filtering
// on a search, one delete with its save to the defaults file, toggle() until the window is
// exposed (the first opening builds it), and scrolling the list from top to bottom one wheel
// step at a time. Runs on the display given (offscreen without one). Reports numbers only.
#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include "capture/FocusService.h"
#include "capture/PasteboardService.h"
#include "clipboard/ClipboardHistoryService.h"
#include "clipboard/ClipboardNotesService.h"
#include "clipboardwindow/ClipboardEntryList.h"
#include "clipboardwindow/ClipboardHistoryPanel.h"
#include "clipboardwindow/ClipboardPanelController.h"
#include "clipboardwindow/ClipboardWindowModel.h"
#include "clipboardwindow/LocalizedSearch.h"
#include "platform/IniDefaults.h"
#include "platform/MemoryDefaults.h"
#include "support/SimulatedDesktop.h"
#include "support/SimulatedScreens.h"

namespace {

QString textOf(int chars, int seed) {
    const QString words = QStringLiteral("Съешь же ещё этих мягких булок, the quick brown fox. ");
    QString text = QString::number(seed) + QLatin1Char(' ');
    while (text.size() < chars) {
        text += words;
    }
    text.truncate(chars);
    return text;
}

struct Summary {
    double median;
    double max;
};

Summary summarize(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.back()};
}

double elapsedMs(const QElapsedTimer& timer) {
    return timer.nsecsElapsed() / 1e6;
}

// CPU time of this thread: on a busy machine the wall time also counts the waits for a core.
double cpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// Shows or hides through toggle() and waits for the window system to expose it.
double toggleUntilExposed(ClipboardPanelController& controller) {
    QElapsedTimer timer;
    timer.start();
    controller.toggle();
    while (
        !(controller.panel()->windowHandle() && controller.panel()->windowHandle()->isExposed()) &&
        timer.elapsed() < 2000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    controller.panel()->repaint();
    return elapsedMs(timer);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QTemporaryDir dir;
    SimulatedDesktop desktop;
    IniDefaults historyStore(dir.filePath(QStringLiteral("clipboard-history.ini")));
    MemoryDefaults defaults;
    ClipboardHistoryService history(desktop.pasteboard, desktop.clock, historyStore);
    ClipboardNotesService notes(defaults, desktop.clock, dir.filePath(QStringLiteral("notes")));
    FocusService focus(desktop.workspace, desktop.accessibility);
    PasteboardService pasteService({desktop.clock, desktop.pasteboard, desktop.keys,
                                    desktop.workspace, desktop.accessibility, focus, history});
    SimulatedScreens screens;
    screens.list = {{QRect(0, 0, 1600, 900), QRect(0, 0, 1600, 900)}};
    screens.pointerAt = QPoint(400, 300);
    ClipboardPanelController controller({desktop.clock, focus, desktop.workspace, pasteService,
                                         desktop.pasteboard, history, notes, &screens, nullptr,
                                         &defaults});
    QList<ClipboardHistoryItem> items;
    for (int i = 0; i < 1000; ++i) {
        const QString text = textOf(200, i);
        items.append({QString::number(i), text, desktop.clock.currentDateTime(), text.size()});
    }
    history.setItems(items);
    history.save();

    const double firstOpenCpuStart = cpuMs();
    const double firstOpen = toggleUntilExposed(controller);
    const double firstOpenCpu = cpuMs() - firstOpenCpuStart;
    std::vector<double> toggles;
    for (int i = 0; i < 20; ++i) {
        toggleUntilExposed(controller);  // hides
        toggles.push_back(toggleUntilExposed(controller));
    }

    ClipboardWindowModel& model = *controller.model();
    std::vector<double> filters;
    const QStringList queries{QStringLiteral("fox"), QStringLiteral("БУЛОК"), QStringLiteral("99"),
                              QStringLiteral("nothing like it")};
    for (int i = 0; i < 40; ++i) {
        QElapsedTimer timer;
        timer.start();
        const auto found = model.filteredHistoryItems();
        (void)found;
        filters.push_back(elapsedMs(timer));
        model.setSearchText(queries[i % queries.size()]);
    }
    // The same searches as Qt's simple case-insensitive containment, and a first search with
    // every entry still to fold.
    std::vector<double> plainFilters;
    std::vector<double> coldFilters;
    for (int i = 0; i < 20; ++i) {
        const QString query = queries[i % queries.size()];
        QElapsedTimer timer;
        timer.start();
        int plain = 0;
        for (const ClipboardHistoryItem& item : history.items()) {
            plain += item.text.contains(query, Qt::CaseInsensitive);
        }
        plainFilters.push_back(elapsedMs(timer));
        LocalizedSearch fresh;
        timer.restart();
        fresh.setQuery(query);
        int found = 0;
        for (const ClipboardHistoryItem& item : history.items()) {
            found += fresh.finds(item.text);
        }
        coldFilters.push_back(elapsedMs(timer));
        (void)plain;
        (void)found;
    }
    std::vector<double> searches;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer timer;
        timer.start();
        model.setSearchText(queries[i % queries.size()]);
        searches.push_back(elapsedMs(timer));
    }
    model.setSearchText(QString());

    std::vector<double> deletes;
    std::vector<double> deletesCpu;
    std::vector<double> savesCpu;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer timer;
        timer.start();
        const double start = cpuMs();
        model.deleteHistoryItem(history.items().at(500).id);
        deletes.push_back(elapsedMs(timer));
        deletesCpu.push_back(cpuMs() - start);
        const double saveStart = cpuMs();
        history.save();
        savesCpu.push_back(cpuMs() - saveStart);
    }

    auto* list = controller.view()->findChild<ClipboardEntryList*>(QStringLiteral("entryList"));
    QScrollBar* bar = list->verticalScrollBar();
    bar->setValue(0);
    std::vector<double> frames;
    while (bar->value() < bar->maximum()) {
        QElapsedTimer timer;
        timer.start();
        bar->setValue(bar->value() + 3 * bar->singleStep());
        list->viewport()->repaint();
        frames.push_back(elapsedMs(timer));
    }

    const Summary filter = summarize(filters);
    const Summary search = summarize(searches);
    const Summary del = summarize(deletes);
    const Summary toggle = summarize(toggles);
    const Summary frame = summarize(frames);
    std::printf("clipboard window over 1000 entries (%s)\n",
                qPrintable(QGuiApplication::platformName()));
    std::printf("  filtering:            median %7.3f ms, max %7.3f ms   target < 5 ms\n",
                filter.median, filter.max);
    std::printf("    simple case-insensitive contains (no folding): median %7.3f ms; ratio %.2f\n",
                summarize(plainFilters).median, filter.median / summarize(plainFilters).median);
    std::printf("    first search, folding every entry:             median %7.3f ms\n",
                summarize(coldFilters).median);
    std::printf("  search with redraw:   median %7.3f ms, max %7.3f ms\n", search.median,
                search.max);
    std::printf("  delete with its save: median %7.3f ms, max %7.3f ms   target < 20 ms\n",
                del.median, del.max);
    std::printf("    on the CPU:         median %7.3f ms, of which the store's save %7.3f ms\n",
                summarize(deletesCpu).median, summarize(savesCpu).median);
    std::printf(
        "  toggle to exposed:    first %7.3f ms, median %7.3f ms, max %7.3f ms   "
        "target < 100 ms\n",
        firstOpen, toggle.median, toggle.max);
    std::printf("    first on the CPU:   %7.3f ms\n", firstOpenCpu);
    std::printf(
        "  scrolling:            %zu frames, median %7.3f ms, max %7.3f ms   "
        "target < 16 ms\n",
        frames.size(), frame.median, frame.max);
    return 0;
}
