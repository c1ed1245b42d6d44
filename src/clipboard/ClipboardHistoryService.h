#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <limits>

#include "clipboard/ClipboardCapture.h"
#include "clipboard/ClipboardHistoryItem.h"

class Clock;
class Defaults;
class Pasteboard;

// The clipboard history: the texts the user copied, newest first, kept in a defaults file of
// their own. Owns the capture handshake that keeps the app's own pasteboard writes out of it.
class ClipboardHistoryService : public QObject, public ClipboardCapture {
    Q_OBJECT
public:
    static inline const QString kStorageKey = QStringLiteral("nivelo.clipboardItems.native");

    // Loads the stored history and takes the pasteboard's present content as already seen.
    ClipboardHistoryService(Pasteboard& pasteboard, Clock& clock, Defaults& store,
                            QObject* parent = nullptr);

    // The process-wide instance over the current platform, created on first use.
    static ClipboardHistoryService& shared();
    // $XDG_DATA_HOME/ai.nivelo.native/clipboard-history.ini
    static QString standardStorePath();

    const QList<ClipboardHistoryItem>& items() const { return items_; }
    // Replaces the list; whoever changes it calls save() afterwards.
    void setItems(QList<ClipboardHistoryItem> items);

    // The stored list; empty when absent or undecodable.
    QList<ClipboardHistoryItem> load() const;
    // Stores the list whole.
    void save();

    void suppressCapture(double seconds) override;
    void finishTransientPasteboardUse() override;
    void resumeCapture(qint64 seenChangeCount) override;

    bool isCaptureSuppressed() const;
    qint64 lastChangeCount() const { return lastChangeCount_; }
    const QString& lastText() const { return lastText_; }

Q_SIGNALS:
    void itemsChanged(const QList<ClipboardHistoryItem>& items);

private:
    static constexpr qint64 kDistantPast = std::numeric_limits<qint64>::min();

    Pasteboard& pasteboard_;
    Clock& clock_;
    Defaults& store_;
    QList<ClipboardHistoryItem> items_;
    qint64 lastChangeCount_ = 0;
    QString lastText_;
    // Monotonic clock milliseconds; capture is suppressed while now is earlier.
    qint64 suppressUntilMs_ = kDistantPast;
};
