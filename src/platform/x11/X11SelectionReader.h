#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

typedef struct xcb_connection_t xcb_connection_t;

// Reads another client's selection on a connection of its own, asking with the server's
// present time. Qt asks with the time of the last event it handled, which can be older than a
// new owner's take: the owner then refuses, and the read looks like an empty clipboard. Large
// contents come in pieces (INCR). Blocks the calling thread until the owner answered or went
// quiet; one thread at a time may use it.
class X11SelectionReader {
public:
    // What the owner gave for one target: the type it named and the bytes.
    struct Value {
        QByteArray type;
        QByteArray data;
    };

    // Connects to `displayName` on first use.
    explicit X11SelectionReader(QByteArray displayName);
    ~X11SelectionReader();
    X11SelectionReader(const X11SelectionReader&) = delete;
    X11SelectionReader& operator=(const X11SelectionReader&) = delete;

    // The window that owns `selection` now; 0 for none or no connection.
    quint32 owner(const QByteArray& selection);
    // The target names the owner offers; none when nobody owns it, or the owner refused or
    // did not answer.
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
    // The content's formats as Qt names them: the string targets are one "text/plain".
    static QStringList formatsOf(const QList<QByteArray>& targets);
    // One format's bytes; "text/plain" is the text in UTF-8. None when it has no bytes.
    std::optional<QByteArray> data(const QByteArray& selection, const QString& format,
                                   const QList<QByteArray>& targets);

    // How long an owner may stay silent before a read gives up.
    static constexpr int kPatienceMs = 2000;

private:
    bool connect();
    quint32 atom(const QByteArray& name);
    QByteArray atomName(quint32 atom);
    // The server's present time, learnt from a property change on our window.
    quint32 serverTime();
    std::optional<Value> convert(quint32 selection, quint32 target);
    std::optional<Value> takeProperty();
    std::optional<Value> takeIncrements(QByteArray type);

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
};
