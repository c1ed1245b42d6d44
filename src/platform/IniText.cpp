#include "platform/IniText.h"

#include <QDataStream>
#include <QDateTime>
#include <QIODevice>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QStringEncoder>

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool isHexDigit(uint ch) {
    return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
}

void appendKey(const QString& key, QByteArray& out) {
    for (const QChar qch : key) {
        uint ch = qch.unicode();
        if (ch == '/') {
            out += '\\';
        } else if ((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') ||
                   (ch >= '0' && ch <= '9') || ch == '_' || ch == '-' || ch == '.') {
            out += static_cast<char>(ch);
        } else if (ch <= 0xFF) {
            out += '%';
            out += kHexDigits[ch / 16];
            out += kHexDigits[ch % 16];
        } else {
            out += "%U";
            QByteArray code;
            for (int i = 0; i < 4; ++i, ch >>= 4) {
                code.prepend(kHexDigits[ch % 16]);
            }
            out += code;
        }
    }
}

QString streamed(const QVariant& value, const char* prefix, QDataStream::Version version) {
    QByteArray bytes;
    {
        QDataStream stream(&bytes, QIODevice::WriteOnly);
        stream.setVersion(version);
        stream << value;
    }
    return QLatin1String(prefix) + QString::fromLatin1(bytes) + QLatin1Char(')');
}

QString valueText(const QVariant& value) {
    switch (value.metaType().id()) {
        case QMetaType::UnknownType:
            return QStringLiteral("@Invalid()");
        case QMetaType::QByteArray:
            return QLatin1String("@ByteArray(") + QString::fromLatin1(value.toByteArray()) +
                   QLatin1Char(')');
        case QMetaType::QString:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Bool:
        case QMetaType::Float:
        case QMetaType::Double: {
            const QString text = value.toString();
            return text.startsWith(QLatin1Char('@')) ? QLatin1Char('@') + text : text;
        }
        case QMetaType::QRect: {
            const QRect r = value.toRect();
            return QString::asprintf("@Rect(%d %d %d %d)", r.x(), r.y(), r.width(), r.height());
        }
        case QMetaType::QSize: {
            const QSize s = value.toSize();
            return QString::asprintf("@Size(%d %d)", s.width(), s.height());
        }
        case QMetaType::QPoint: {
            const QPoint p = value.toPoint();
            return QString::asprintf("@Point(%d %d)", p.x(), p.y());
        }
        case QMetaType::QDateTime:
            return streamed(value, "@DateTime(", QDataStream::Qt_5_6);
        default:
            return streamed(value, "@Variant(", QDataStream::Qt_4_0);
    }
}

// The escapes QSettings writes for control characters with a name, quotes and backslashes;
// false for any other character. A hex digit after "\0" must be escaped too.
bool appendNamedEscape(uint ch, QByteArray& out, bool& escapeNextIfHex) {
    switch (ch) {
        case '\0':
            out += "\\0";
            escapeNextIfHex = true;
            return true;
        case '\a':
            out += "\\a";
            return true;
        case '\b':
            out += "\\b";
            return true;
        case '\f':
            out += "\\f";
            return true;
        case '\n':
            out += "\\n";
            return true;
        case '\r':
            out += "\\r";
            return true;
        case '\t':
            out += "\\t";
            return true;
        case '\v':
            out += "\\v";
            return true;
        case '"':
        case '\\':
            out += '\\';
            out += static_cast<char>(ch);
            return true;
        default:
            return false;
    }
}

// Neither escaped nor a byte of data above ASCII; text (asUtf8) goes out as UTF-8.
bool goesOutAsItIs(char16_t ch, bool asUtf8) {
    return ch > 0x1F && ch != '"' && ch != '\\' && (asUtf8 || ch < 0x7F);
}

void appendEscaped(const QString& text, QByteArray& out) {
    // Data stands for bytes one character each: those are escaped, text goes out as UTF-8.
    const bool asUtf8 = !(text.startsWith(QLatin1String("@ByteArray(")) ||
                          text.startsWith(QLatin1String("@Variant(")) ||
                          text.startsWith(QLatin1String("@DateTime(")));
    QStringEncoder toUtf8(QStringEncoder::Utf8);
    const qsizetype start = out.size();
    bool needsQuotes = false;
    // After a numeric escape a hex digit would be read as part of it.
    bool escapeNextIfHex = false;
    const QChar* chars = text.constData();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        // A run that goes out as it is, in one piece: a large value is mostly that.
        if (!escapeNextIfHex) {
            qsizetype end = i;
            while (end < size && goesOutAsItIs(chars[end].unicode(), asUtf8)) {
                const char16_t c = chars[end].unicode();
                needsQuotes = needsQuotes || c == ';' || c == ',' || c == '=';
                ++end;
            }
            if (end > i) {
                out += toUtf8(QStringView(chars + i, end - i));
                i = end - 1;
                continue;
            }
        }
        const QChar qch = chars[i];
        const uint ch = qch.unicode();
        if (ch == ';' || ch == ',' || ch == '=') {
            needsQuotes = true;
        }
        if (escapeNextIfHex && isHexDigit(ch)) {
            out += "\\x" + QByteArray::number(ch, 16);
            continue;
        }
        escapeNextIfHex = false;
        if (appendNamedEscape(ch, out, escapeNextIfHex)) {
            continue;
        }
        if (ch <= 0x1F || (ch >= 0x7F && !asUtf8)) {
            out += "\\x" + QByteArray::number(ch, 16);
            escapeNextIfHex = true;
        } else if (asUtf8) {
            out += toUtf8(QStringView(&qch, 1));
        } else {
            out += static_cast<char>(ch);
        }
    }
    if (needsQuotes ||
        (start < out.size() && (out.at(start) == ' ' || out.at(out.size() - 1) == ' '))) {
        out.insert(start, '"');
        out += '"';
    }
}

void appendHexEscape(uint ch, QByteArray& out) {
    static constexpr char kLower[] = "0123456789abcdef";
    out += "\\x";
    if (ch >= 16) {
        out += kLower[(ch >> 4) & 0xF];
    }
    out += kLower[ch & 0xF];
}

// Data as appendEscaped writes "@ByteArray(...)", straight from the bytes: a large value
// never becomes a text of twice its size on the way.
void appendData(const QByteArray& bytes, QByteArray& out) {
    const qsizetype start = out.size();
    out.reserve(start + bytes.size() + 16);
    out += "@ByteArray(";
    bool needsQuotes = false;
    bool escapeNextIfHex = false;
    const char* data = bytes.constData();
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size; ++i) {
        const uint ch = static_cast<uchar>(data[i]);
        if (!escapeNextIfHex || !isHexDigit(ch)) {
            qsizetype end = i;
            while (end < size) {
                const auto c = static_cast<uchar>(data[end]);
                if (c <= 0x1F || c >= 0x7F || c == '"' || c == '\\') {
                    break;
                }
                needsQuotes = needsQuotes || c == ';' || c == ',' || c == '=';
                ++end;
            }
            if (end > i) {
                out.append(data + i, end - i);
                escapeNextIfHex = false;
                i = end - 1;
                continue;
            }
        }
        if (escapeNextIfHex && isHexDigit(ch)) {
            appendHexEscape(ch, out);
            continue;
        }
        escapeNextIfHex = false;
        if (!appendNamedEscape(ch, out, escapeNextIfHex)) {
            appendHexEscape(ch, out);
            escapeNextIfHex = true;
        }
    }
    out += ')';
    if (needsQuotes) {
        out.insert(start, '"');
        out += '"';
    }
}

void appendValue(const QVariant& value, QByteArray& out) {
    const int type = value.metaType().id();
    if (type == QMetaType::QByteArray) {
        appendData(value.toByteArray(), out);
        return;
    }
    if (type == QMetaType::QStringList ||
        (type == QMetaType::QVariantList && value.toList().size() != 1)) {
        const QVariantList items = value.toList();
        if (items.isEmpty()) {
            out += "@Invalid()";
            return;
        }
        for (qsizetype i = 0; i < items.size(); ++i) {
            if (i != 0) {
                out += ", ";
            }
            appendEscaped(valueText(items.at(i)), out);
        }
        return;
    }
    appendEscaped(valueText(value), out);
}

}  // namespace

QByteArray iniText::encode(const QMap<QString, QVariant>& values) {
    // The part before the first slash names the section; keys without one are [General].
    QMap<QString, QMap<QString, QVariant>> sections;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const qsizetype slash = it.key().indexOf(QLatin1Char('/'));
        const QString section = slash < 0 ? QString() : it.key().left(slash);
        sections[section].insert(slash < 0 ? it.key() : it.key().mid(slash + 1), it.value());
    }
    QByteArray out;
    for (auto section = sections.cbegin(); section != sections.cend(); ++section) {
        QByteArray header;
        appendKey(section.key(), header);
        if (header.isEmpty()) {
            header = "[General]";
        } else if (header.compare("general", Qt::CaseInsensitive) == 0) {
            header = "[%General]";
        } else {
            header = '[' + header + ']';
        }
        if (section != sections.cbegin()) {
            out += '\n';
        }
        out += header + '\n';
        for (auto it = section->cbegin(); it != section->cend(); ++it) {
            appendKey(it.key(), out);
            out += '=';
            appendValue(it.value(), out);
            out += '\n';
        }
    }
    return out;
}
