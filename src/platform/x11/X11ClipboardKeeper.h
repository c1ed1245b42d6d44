#pragma once

#include <sys/types.h>
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include "platform/Pasteboard.h"

class QSocketNotifier;

// Keeps the clipboard alive after we end, however we end. X11 clipboard content lives in its
// owner: when we own it (a restored clipboard is ours) and go, it would be gone. While we own
// it, a small process of our own binary (`nivelo --keep-clipboard`) holds a copy, fed through
// a socket pair. It takes the clipboard only once we are gone (the socket's end of file) and
// nobody else owns the clipboard, so a newer copy is never replaced. At a clean exit it takes
// the clipboard over at once; where a clipboard manager runs, the manager takes it instead.
class X11ClipboardKeeper : public QObject {
    Q_OBJECT
public:
    // The command-line switch of the keeping process.
    static constexpr char kSwitch[] = "--keep-clipboard";

    // `program` is the binary to run (ours); `name` its argv[0]. Nothing starts before the
    // first keep().
    X11ClipboardKeeper(QString program, QString name, QObject* parent = nullptr);
    // Closes our end: the keeper then acts as after our death.
    ~X11ClipboardKeeper() override;
    X11ClipboardKeeper(const X11ClipboardKeeper&) = delete;
    X11ClipboardKeeper& operator=(const X11ClipboardKeeper&) = delete;

    // We own the clipboard through `ownerWindow` with these values; the keeper holds them
    // from now on. An unsent earlier state is replaced, never queued; the state the keeper
    // was last given is not sent again (one change is told by our write and by the server).
    void keep(const QList<PasteboardValue>& values, quint32 ownerWindow);
    // We own nothing on the clipboard any more.
    void drop();
    // At exit, while we still own the clipboard with these values: the keeper takes it now.
    // Waits, at most `waitMs`, until we no longer own it. True when the keeper has it.
    bool takeOverNow(const QList<PasteboardValue>& values, quint32 ownerWindow, int waitMs);

    // Whether a clipboard manager runs on the display.
    static bool managerRuns();
    // The keeping process; 0 when none runs.
    pid_t processId() const { return pid_; }

private:
    bool ensureStarted();
    void stopped();
    void queueState(QByteArray frame);
    // Writes what the socket takes without blocking; false when the keeper is gone.
    bool writeSome();
    // Writes everything queued, waiting at most until `deadline` (a monotonic time in ms).
    bool writeAll(qint64 deadlineMs);

    QString program_;
    QString name_;
    int socket_ = -1;
    pid_t pid_ = 0;
    QSocketNotifier* writable_ = nullptr;
    QSocketNotifier* closed_ = nullptr;
    // The frame being written and how much of it went; then the latest state not yet begun.
    QByteArray writing_;
    qsizetype written_ = 0;
    QByteArray nextState_;
    // Whether the last state queued holds content, and that content.
    bool holds_ = false;
    QList<PasteboardValue> kept_;
    quint32 keptOwner_ = 0;
};
