#pragma once

#include <QObject>
#include <memory>

#include "platform/Pasteboard.h"
#include "platform/x11/X11SelectionPrefetch.h"

class QMimeData;
class X11ClipboardKeeper;
class X11ClipboardRequests;
class X11Connection;
class X11SelectionFetches;
class X11SelectionWatch;

// The CLIPBOARD selection through Qt's clipboard. Every target the owner offers is an item
// type with its bytes (the protocol targets TARGETS, MULTIPLE, TIMESTAMP, SAVE_TARGETS and
// DELETE aside), so a snapshot gives back images and rich text as well as plain text. What we
// write notes when another client fetches a text target from it: that is a paste being served.
// Who owns the clipboard is what the X server says: Qt ignores a loss whose time equals its
// own take's (an application that took the clipboard with the time it learnt from our take),
// so the change count follows the server's owner events on a connection of our own, and
// ownership is the server's owner window compared to ours. Another owner's content is read on
// a thread and connection of our own, with the server's time (X11SelectionPrefetch), once per
// change: what that read gave, or that it gave up, stands for the change. A caller that cannot
// wait in the event loop waits at most a frame for it.
class X11Pasteboard : public QObject, public Pasteboard {
    Q_OBJECT
public:
    // Hears the owner events on `connection`; with none given, on a connection of its own.
    explicit X11Pasteboard(std::shared_ptr<X11Connection> connection = {},
                           QObject* parent = nullptr);
    ~X11Pasteboard() override;

    qint64 changeCount() const override { return changeCount_; }
    int itemCount() const override;
    QStringList itemTypes(int index) const override;
    std::optional<QByteArray> itemData(int index, const QString& type) const override;
    QStringList types() const override;
    std::optional<QString> plainText() const override;
    PasteboardTextRead readPlainText() const override;
    bool textPending() override;
    bool contentPending() override;
    bool contentWhole() const override;
    void letGoOfRead() override;
    void clear() override;
    void writeItems(const QList<PasteboardItem>& items) override;
    void setPlainText(const QString& text) override;
    bool lastWriteTextServed() const override;
    std::optional<qint64> ownerProcessIdentifier() const override;
    PasteboardFetch lastWriteFetch() const override;
    void handOverAtExit() override;

    // Whether the server names our window as the clipboard's owner.
    bool ownsClipboard() const;

    // Follows other clients' fetches of what we write, their requests and the pieces they
    // take, through that connection.
    void followFetches(std::shared_ptr<X11Connection> connection);

    // From now on, whatever this process owns on the clipboard (our writes, a copy in one of
    // our own text fields) is also held by the keeper, so that it outlives us.
    void keepWith(std::unique_ptr<X11ClipboardKeeper> keeper);

    // The plain text of clipboard data as the owner's own paste reads it: UTF8_STRING first
    // (our own data: the text as written), then the MIME text type with CR LF read as LF;
    // none when it holds no text.
    static std::optional<QString> textOf(const QMimeData& data, bool ours);

    // Whether a type is one the snapshot keeps (not a selection-protocol target).
    static bool isContentType(const QString& type);

    // What the data of our last write knows: whether it is being read by us or served.
    struct ServeState {
        int localReads = 0;
        bool textServed = false;
    };

Q_SIGNALS:
    // The clipboard changed owner, ours included, as the server told.
    void ownerChanged();

private:
    const QMimeData* currentData() const;
    // One change of the content, ours or another client's.
    void changed();
    // Every content type of our own clipboard data with its bytes.
    QList<PasteboardValue> ownValues() const;
    // Tells the keeper what we own now, on the next turn of the event loop.
    void tellKeeper();
    void tellKeeperNow();
    // The window we own the clipboard through; 0 before we first own it.
    quint32 ownerWindow() const;
    // Another owner's content as read aside for the present change: its text, or with
    // `content` every format; null while that read is still to come.
    const X11SelectionPrefetch::Result* aside(bool content) const;
    // The same, waiting at most a frame for the read, started if need be.
    const X11SelectionPrefetch::Result* asideWithin(bool content) const;
    // Whether the read of the present change is still to come; starts it.
    bool pending(bool content) const;
    void take(X11SelectionPrefetch::Result read) const;

    qint64 changeCount_ = 0;
    std::shared_ptr<ServeState> serve_;
    std::shared_ptr<X11Connection> connection_;
    std::unique_ptr<X11SelectionWatch> owners_;
    // Which string target a client asks of what we own, for its bytes.
    std::shared_ptr<X11ClipboardRequests> requests_;
    std::unique_ptr<X11SelectionFetches> fetches_;
    std::unique_ptr<X11ClipboardKeeper> keeper_;
    std::unique_ptr<X11SelectionPrefetch> prefetch_;
    // The last read aside and the last one asked for, by change.
    mutable std::optional<X11SelectionPrefetch::Result> aside_;
    mutable std::optional<std::pair<qint64, bool>> asked_;
    mutable quint32 ownerWindow_ = 0;
    bool keeperToldSoon_ = false;
};
