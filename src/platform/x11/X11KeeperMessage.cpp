#include "platform/x11/X11KeeperMessage.h"

#include <QDataStream>
#include <QIODevice>
#include <QtEndian>

namespace {
constexpr quint32 kFormat = 0x4e434b31;  // "NCK1"
}

QByteArray X11KeeperMessage::frame() const {
    QByteArray payload;
    if (kind == Kind::Keep) {
        QDataStream out(&payload, QIODevice::WriteOnly);
        out << kFormat << ownerWindow << qint32(values.size());
        for (const PasteboardValue& value : values) {
            out << value.type << value.data;
        }
    }
    QByteArray bytes(kHeaderSize, Qt::Uninitialized);
    bytes[0] = static_cast<char>(kind);
    qToBigEndian(quint32(payload.size()), bytes.data() + 1);
    return bytes + payload;
}

std::optional<X11KeeperMessage::Header> X11KeeperMessage::readHeader(
    const char (&bytes)[kHeaderSize]) {
    const auto kind = static_cast<Kind>(bytes[0]);
    const quint32 length = qFromBigEndian<quint32>(bytes + 1);
    if (kind != Kind::Keep && kind != Kind::Drop && kind != Kind::TakeNow) {
        return std::nullopt;
    }
    if (length > kMaxPayload || (kind != Kind::Keep && length != 0)) {
        return std::nullopt;
    }
    return Header{kind, length};
}

std::optional<X11KeeperMessage> X11KeeperMessage::read(Header header, const QByteArray& payload) {
    X11KeeperMessage message;
    message.kind = header.kind;
    if (header.kind != Kind::Keep) {
        return payload.isEmpty() ? std::optional(message) : std::nullopt;
    }
    QDataStream in(payload);
    quint32 format = 0;
    qint32 count = 0;
    in >> format >> message.ownerWindow >> count;
    if (format != kFormat || count < 0) {
        return std::nullopt;
    }
    for (qint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        PasteboardValue value;
        in >> value.type >> value.data;
        message.values.append(std::move(value));
    }
    if (in.status() != QDataStream::Ok || !in.atEnd()) {
        return std::nullopt;
    }
    return message;
}
