#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// One representation of a pasteboard item: its type identifier exactly as the pasteboard
// reports it (a MIME type on Linux) and its raw bytes.
struct PasteboardValue {
    QString type;
    QByteArray data;

    friend bool operator==(const PasteboardValue&, const PasteboardValue&) = default;
};

// One item of the pasteboard with its representations in the item's type order.
struct PasteboardItem {
    QList<PasteboardValue> values;

    friend bool operator==(const PasteboardItem&, const PasteboardItem&) = default;
};

// How far the paste target (where X11 tells: the client with the keyboard focus, not a
// clipboard manager) has got in fetching the text this process wrote last.
struct PasteboardFetch {
    // The target asked for the text.
    bool served = false;
    // Fetches asked for and not yet taken in full (a large text comes in pieces).
    int underway = 0;
    // Grows with every step of any fetch: a request, a piece written or taken.
    quint64 steps = 0;
};

// A read of the plain text. `answered` is false when the owner of the content refused or ignored
// the request: then the text says nothing about the content.
struct PasteboardTextRead {
    std::optional<QString> text;
    bool answered = true;
};

// The general pasteboard (the clipboard): a list of items, each with typed data, and a change
// count that grows with every change made by anyone.
class Pasteboard {
public:
    virtual ~Pasteboard() = default;

    // Grows by at least one on every change of the content (clear, write, another owner).
    virtual qint64 changeCount() const = 0;

    virtual int itemCount() const = 0;
    // The types of item `index`, in order.
    virtual QStringList itemTypes(int index) const = 0;
    // The data of one type of item `index`; none when that representation yields no data.
    virtual std::optional<QByteArray> itemData(int index, const QString& type) const = 0;
    // Every type the pasteboard offers (all items), for marker types such as concealed content.
    virtual QStringList types() const = 0;

    // The plain-text string; none when the pasteboard holds no text.
    virtual std::optional<QString> plainText() const = 0;
    // The same, telling a content without text from one that could not be read.
    virtual PasteboardTextRead readPlainText() const { return {plainText(), true}; }
    // Whether the present text is still being read aside, off the caller's thread: a caller
    // that must not wait (any caller on the GUI thread) looks again later. The first call for
    // a content starts that read. A pasteboard that hands its content over at once has nothing
    // pending. The reads above wait for such a read at most a frame.
    virtual bool textPending() { return false; }
    // The same for the whole content, every type with its data (for a snapshot). A read that
    // gave up (an owner that stops answering or sends without end) is over: the content then
    // reads as nothing, is not whole, and is not asked for again.
    virtual bool contentPending() { return false; }
    // Whether the whole content, as read for the present change, is every type that yields
    // data. False while it is still being read, and when the read gave up or went over its
    // limits: what could be read is then not all there is, and given back it would lose the
    // rest.
    virtual bool contentWhole() const { return true; }

    // The caller has what it needed of the present content as read aside: that read is let go
    // (a large copy is not held twice), and a later ask reads the content again.
    virtual void letGoOfRead() {}

    // Empties the pasteboard.
    virtual void clear() = 0;
    // Writes all items in one change; the caller cleared the pasteboard before.
    virtual void writeItems(const QList<PasteboardItem>& items) = 0;
    // Writes a plain-text string; the caller cleared the pasteboard before.
    virtual void setPlainText(const QString& text) = 0;

    // Whether another application has fetched text of what this process wrote last. On X11 a
    // paste target fetches the text from us later, through our event loop; a pasteboard that
    // hands its content over at once always answers true.
    virtual bool lastWriteTextServed() const { return true; }
    // The fetches of what this process wrote last; a pasteboard that hands its content over at
    // once has none under way.
    virtual PasteboardFetch lastWriteFetch() const { return {lastWriteTextServed(), 0, 0}; }

    // The process that owns the present content (this one after our own writes); none when
    // nobody owns it or the owner cannot be told.
    virtual std::optional<qint64> ownerProcessIdentifier() const { return std::nullopt; }

    // At exit: what this process owns on the pasteboard stays for the user after it ends. A
    // pasteboard that hands its content over at once has nothing to do.
    virtual void handOverAtExit() {}
};
