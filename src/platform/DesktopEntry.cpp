#include "platform/DesktopEntry.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace {

// The escapes the format defines for string values.
QString unescaped(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar next = value.at(++i);
        switch (next.unicode()) {
            case 's':
                out += QLatin1Char(' ');
                break;
            case 'n':
                out += QLatin1Char('\n');
                break;
            case 't':
                out += QLatin1Char('\t');
                break;
            case 'r':
                out += QLatin1Char('\r');
                break;
            default:
                out += next;
        }
    }
    return out;
}

}  // namespace

std::optional<DesktopEntry> DesktopEntry::read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return parse(path, QString::fromUtf8(file.readAll()));
}

std::optional<DesktopEntry> DesktopEntry::parse(const QString& path, const QString& text) {
    DesktopEntry entry;
    entry.path = path;
    const QString suffix = QStringLiteral(".desktop");
    const QString fileName = QFileInfo(path).fileName();
    if (!fileName.endsWith(suffix) || fileName.size() == suffix.size()) {
        return std::nullopt;
    }
    entry.id = fileName.chopped(suffix.size());
    bool inMain = false;
    bool sawMain = false;
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) {
            continue;
        }
        if (line.startsWith(QLatin1Char('['))) {
            // Only the first group with that name counts.
            inMain = !sawMain && line == QLatin1String("[Desktop Entry]");
            sawMain = sawMain || inMain;
            continue;
        }
        if (!inMain) {
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0) {
            continue;
        }
        const QString key = line.left(eq).trimmed();
        const QString value = unescaped(line.mid(eq + 1).trimmed());
        if (key == QLatin1String("Type")) {
            entry.type = value;
        } else if (key == QLatin1String("Name")) {
            entry.name = value;
        } else if (key == QLatin1String("Icon")) {
            entry.icon = value;
        }
    }
    if (!sawMain) {
        return std::nullopt;
    }
    return entry;
}
