#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <deque>
#include <limits>
#include <optional>
#include <thread>
#include <utility>

#include "base/Subscription.h"
#include "clipboard/ClipboardCapture.h"
#include "clipboard/ClipboardHistoryItem.h"

class ClipboardSettingsSource;
class Clock;
class Defaults;
class Pasteboard;
class SaveReport;
struct NiveloSettings;

// The clipboard history: the texts the user copied, newest first, kept in a defaults file of
// their own. Polls the pasteboard's change count, records new plain text, prunes by the
// settings' count and age limits, and owns the capture handshake that keeps the app's own
// pasteboard writes out of it.
class ClipboardHistoryService : public QObject, public ClipboardCapture {
    Q_OBJECT
public:
    static inline const QString kStorageKey = QStringLiteral("nivelo.clipboardItems.native");
    // The defaults file of the history, in the data folder.
    static inline const QString kStoreFileName = QStringLiteral("clipboard-history.ini");
    // Where a stored history that could not be read is kept before the next save replaces it.
    static inline const QString kUnreadableKey =
        QStringLiteral("nivelo.clipboardItems.native.unreadable");
    static constexpr qint64 kPollIntervalMs = 700;
    // How soon to look again while the pasteboard reads a text aside.
    static constexpr qint64 kPendingPollMs = 20;
    static constexpr int kMinLimit = 10;
    static constexpr int kMaxLimit = 1000;
    // Fewer user-perceived characters than this are never recorded.
    static constexpr int kMinChars = 2;
    // A copied text this long is measured on a thread of its own, so the event loop never
    // waits for it; the copies after it wait their turn.
    static constexpr qsizetype kMeasureAsideChars = 64 * 1024;

    // Loads the stored history and takes the pasteboard's present content as already seen.
    // When the report asks for the last writes, the copies still on their way are added.
    ClipboardHistoryService(Pasteboard& pasteboard, Clock& clock, Defaults& store,
                            SaveReport* report = nullptr, QObject* parent = nullptr);
    ~ClipboardHistoryService() override;

    // The process-wide instance over the current platform, created on first use.
    static ClipboardHistoryService& shared();
    // $XDG_DATA_HOME/ai.nivelo.native/clipboard-history.ini
    static QString standardStorePath();

    // The marker types by which other applications flag concealed, transient and generated
    // content; a change that carries one is never recorded.
    static const QStringList& concealedTypes();
    // Linux password managers mark their copies with this type holding "secret".
    static inline const QString kPasswordManagerHintType =
        QStringLiteral("x-kde-passwordManagerHint");

    const QList<ClipboardHistoryItem>& items() const { return items_; }
    // Replaces the list; whoever changes it calls save() afterwards.
    void setItems(QList<ClipboardHistoryItem> items);

    // The stored list; empty when absent or undecodable.
    QList<ClipboardHistoryItem> load() const;
    // Stores the list whole; the store encodes it later, off the GUI thread where it can.
    void save();

    // Takes the settings and follows their changes (each applies the limits and saves), then
    // starts polling. A later call replaces the subscription and starts no second poll.
    void attach(ClipboardSettingsSource& source);
    // Starts the poll every 0.7 s, once.
    void start();
    bool isPolling() const { return polling_; }
    // One look at the pasteboard: only its change count unless that moved. A text still being
    // read aside is looked at again shortly.
    void poll();
    // Adds one copied text at the front, unless it is too short, suppressed or just seen. A
    // long text is added once measured, in the order of the copies.
    void record(const QString& text);
    // A copy is being measured or waits behind one.
    bool isRecording() const { return !pending_.empty(); }
    // Adds every copy still on its way, measuring here what the thread has not (at quit).
    void finishRecording();
    // Applies the count and age limits, then saves.
    void pruneAndSave();

    void suppressCapture(double seconds) override;
    void finishTransientPasteboardUse() override;
    void resumeCapture(qint64 seenChangeCount) override;

    bool isCaptureSuppressed() const;
    qint64 lastChangeCount() const { return lastChangeCount_; }
    const QString& lastText() const { return lastText_; }
    bool isEnabled() const { return settings_.enabled; }

    // The settings' limit clamped to what the history keeps.
    static int clampedLimit(int limit);
    // Entries created before this are pruned; none for "forever", anything that is not a
    // whole positive number of days, and a count reaching back past the earliest day.
    static std::optional<QDateTime> ageCutoff(const QString& days, const QDateTime& now);

Q_SIGNALS:
    void itemsChanged(const QList<ClipboardHistoryItem>& items);

private:
    // A poll; with `readTextNow` a text being read aside is read at once instead.
    void look(bool readTextNow);
    // The part of the settings record the history follows.
    struct Settings {
        bool enabled = true;
        int limit = 100;
        QString days = QStringLiteral("forever");
    };

    static constexpr qint64 kDistantPast = std::numeric_limits<qint64>::min();

    // A copy taken, on its way into the list.
    struct PendingCopy {
        QString text;
        QDateTime at;
        // Unknown while it is being measured.
        std::optional<int> chars;
        QString id;
    };

    void adoptSettings(const NiveloSettings& settings);
    void takePasteboardAsSeen();
    // A content taken as seen before its text was read: its text becomes the last one seen once
    // read, unless the content changed meanwhile.
    void settleSeenText();
    void lookAgainSoon();
    bool isConcealed() const;
    // Removes what the limits do not keep; true when something went.
    bool prune();
    void schedulePoll();
    // Adds the measured copies at the front of the queue; starts measuring the next long one.
    void takePendingCopies();
    // Waits for the thread, if one runs, and gives its measure to the first waiting copy.
    void takeMeasure();
    void add(const PendingCopy& copy);

    Pasteboard& pasteboard_;
    Clock& clock_;
    Defaults& store_;
    QList<ClipboardHistoryItem> items_;
    // The stored bytes that did not decode, kept aside at the first save.
    std::optional<QByteArray> unreadable_;
    Settings settings_;
    Subscription settingsSubscription_;
    bool polling_ = false;
    quint64 pollCall_ = 0;
    quint64 pendingCall_ = 0;
    qint64 lastChangeCount_ = 0;
    QString lastText_;
    // The change taken as seen whose text is still being read.
    std::optional<qint64> seenUnread_;
    // Monotonic clock milliseconds; capture is suppressed while now is earlier.
    qint64 suppressUntilMs_ = kDistantPast;
    // Oldest first; the first may be being measured.
    std::deque<PendingCopy> pending_;
    std::thread measuring_;
    // Written by the thread before it ends; read once it is joined.
    std::pair<int, QString> measure_;
};
