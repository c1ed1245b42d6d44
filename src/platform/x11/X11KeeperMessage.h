#pragma once

#include <QByteArray>
#include <QList>
#include <optional>

#include "platform/Pasteboard.h"

// What nivelo tells its clipboard keeper over their socket. A frame is a kind byte, the
// payload's length (4 bytes, big-endian) and the payload.
struct X11KeeperMessage {
    enum class Kind : char {
        // Hold this content: nivelo owns the clipboard with it.
        Keep = 'K',
        // Hold nothing: nivelo owns no clipboard content.
        Drop = 'D',
        // Take the clipboard now with what is held and serve it (nivelo is leaving).
        TakeNow = 'T',
    };
    static constexpr int kHeaderSize = 5;
    // More than any clipboard; a larger length is not one of our frames.
    static constexpr quint32 kMaxPayload = 1u << 30;

    Kind kind = Kind::Drop;
    // Keep: the window nivelo owns the clipboard through, and every type with its bytes.
    quint32 ownerWindow = 0;
    QList<PasteboardValue> values;

    QByteArray frame() const;

    // The kind and payload length of a header; none when it is not one of ours.
    struct Header {
        Kind kind;
        quint32 length;
    };
    static std::optional<Header> readHeader(const char (&bytes)[kHeaderSize]);
    // The message of a whole payload; none when the payload does not decode.
    static std::optional<X11KeeperMessage> read(Header header, const QByteArray& payload);
};
