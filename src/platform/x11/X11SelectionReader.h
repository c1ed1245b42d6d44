#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

typedef struct xcb_connection_t xcb_connection_t;

// Reads another client's selection on a connection of its own, asking with the server's
// present time. Qt asks with the time of the last event it handled, which can be older than a
// new owner's take: the owner then refuses, and the read looks like an empty clipboard. Large
// contents come in pieces (INCR). Blocks the calling thread until the owner answered, went
// quiet, or the read's limits ran out; one thread at a time may use it.
class X11SelectionReader {
public:
    // What the owner gave for one target: the type it named, the format and the bytes.
    struct Value {
        QByteArray type;
        QByteArray data;
        int format = 8;
    };

    // What one read may take: another client may never answer, refuse, or send pieces
    // without end. A slow owner is waited for as long as it keeps answering; every read ends
    // by the deadline, as soon as `stop` says so, once the owner went silent, and gives up on
    // a representation or a content larger than its budget.
    struct Limits {
        // From begin() to the end of everything read until the next begin(): an owner that
        // answers without end (pieces that never stop) is not waited for beyond it.
        int deadlineMs = 60000;
        // Silence between two answers of the owner (a piece, the answer to a request).
        int patienceMs = 3000;
        // One representation's bytes (counted apart: GTK offers a text as several targets and
        // an image in many types, each a full conversion), and the whole read's.
        qsizetype maxValueBytes = qsizetype(256) << 20;
        qsizetype maxBytes = qsizetype(512) << 20;
        // Asked between waits, at least every few milliseconds.
        std::function<bool()> stop;
    };

    // Connects to `displayName` on first use.
    explicit X11SelectionReader(QByteArray displayName);
    ~X11SelectionReader();
    X11SelectionReader(const X11SelectionReader&) = delete;
    X11SelectionReader& operator=(const X11SelectionReader&) = delete;

    // Starts a read under `limits`: the deadline and the byte budget count from now.
    void begin(Limits limits);
    // Whether the present read ran out of time, was stopped, went over its budget or gave up on
    // an owner gone silent: what it gave is not all there is.
    bool exhausted() const;

    // The window that owns `selection` now; 0 for none or no connection.
    quint32 owner(const QByteArray& selection);
    // The target names the owner offers; none when nobody owns it, or the owner refused, did
    // not answer, or gave no list of atoms (type ATOM, format 32) of a sane length.
    std::optional<QList<QByteArray>> targets(const QByteArray& selection);
    // One target's value; none when the owner refused it or did not answer.
    std::optional<Value> read(const QByteArray& selection, const QByteArray& target);

    // The text as the owner's own paste reads it: UTF8_STRING as it is, else the MIME text
    // with CR LF read as LF, else Latin-1 STRING. `answered` is false when the owner refused
    // or ignored the request: then nothing is known of its text.
    struct Text {
        std::optional<QString> text;
        bool answered = true;
    };
    Text text(const QByteArray& selection, const QList<QByteArray>& targets);
    // The same from values read already: `valueOf` gives a target's value, none when the owner
    // refused it.
    static Text textOf(const QList<QByteArray>& targets,
                       const std::function<std::optional<Value>(const QByteArray&)>& valueOf);
    // The content's formats: every target by its own name, so that each comes back with its own
    // bytes (GTK's text/plain has CR LF where its UTF8_STRING has LF), and "text/plain" for
    // string targets offered without it.
    static QStringList formatsOf(const QList<QByteArray>& targets);
    // One format's bytes: a target's as it gave them; a "text/plain" it does not offer is the
    // text in UTF-8. None when it has no bytes.
    std::optional<QByteArray> data(const QByteArray& selection, const QString& format,
                                   const QList<QByteArray>& targets);

    // More targets than this is no list of formats.
    static constexpr int kMaxTargets = 1024;

private:
    bool connect();
    void makeWindow();
    quint32 atom(const QByteArray& name);
    QByteArray atomName(quint32 atom);
    // Names of many atoms, asked in batches; unknown ones are left out.
    void learnNames(const QList<quint32>& atoms);
    // The server's present time, learnt from a property change on our window.
    quint32 serverTime();
    std::optional<Value> convert(quint32 selection, quint32 target);
    std::optional<Value> takeProperty();
    std::optional<Value> takeIncrements(qsizetype sizeHint);
    int waitLimitMs() const;
    struct FreeEvent {
        void operator()(void* event) const;
    };
    using Event = std::unique_ptr<void, FreeEvent>;
    // Waits for an event of our window that `wanted` accepts, within the read's limits; null
    // when nothing came.
    Event waitFor(const std::function<bool(const void*)>& wanted);

    struct Disconnect {
        void operator()(xcb_connection_t* connection) const;
    };

    QByteArray displayName_;
    std::unique_ptr<xcb_connection_t, Disconnect> connection_;
    quint32 window_ = 0;
    quint32 property_ = 0;
    quint32 clockProperty_ = 0;
    QHash<QByteArray, quint32> atoms_;
    QHash<quint32, QByteArray> names_;
    Limits limits_;
    QElapsedTimer began_;
    qsizetype taken_ = 0;
    qsizetype valueTaken_ = 0;
    bool overBudget_ = false;
    // The owner left a request unanswered, or stopped in the middle of its pieces: whatever
    // else it answers, the read is not whole.
    bool silent_ = false;
};
