#pragma once

#include <QByteArray>
#include <QList>

#include "capture/FocusService.h"
#include "capture/PasteboardService.h"
#include "capture/SelectionCapture.h"
#include "clipboard/ClipboardHistoryService.h"
#include "platform/MemoryDefaults.h"
#include "platform/Pasteboard.h"
#include "support/SimulatedDesktop.h"

// The real text-capture services over a simulated desktop: clipboard history kept in memory,
// focus memory, the pasteboard service with the history as its capture handshake, and
// selection capture through the two. Built in that order, when the owner builds it.
struct CaptureServices {
    explicit CaptureServices(SimulatedDesktop& desktop)
        : history(desktop.pasteboard, desktop.clock, historyStore),
          focus(desktop.workspace, desktop.accessibility),
          pasteboard({desktop.clock, desktop.pasteboard, desktop.keys, desktop.workspace,
                      desktop.accessibility, focus, history}),
          capture(focus, pasteboard) {}

    CaptureServices(const CaptureServices&) = delete;
    CaptureServices& operator=(const CaptureServices&) = delete;

    MemoryDefaults historyStore;
    ClipboardHistoryService history;
    FocusService focus;
    PasteboardService pasteboard;
    FocusedSelectionCapture capture;
};

// Puts what the user had on the pasteboard before a test: two items, one of plain and rich
// text ("user text") and one PNG image. Returns the pasteboard's content after it, which
// holds those two items.
inline QList<PasteboardItem> putUserContent(SimulatedPasteboard& pasteboard) {
    const QByteArray png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01", 20);
    pasteboard.putItems({{{QStringLiteral("text/plain"), QByteArray("user text")},
                          {QStringLiteral("text/html"), QByteArray("<b>user</b> text")}},
                         {{QStringLiteral("image/png"), png}}});
    return pasteboard.content();
}
