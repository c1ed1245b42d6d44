#include "settingswindow/HotkeyFormatter.h"

#include <QHash>
#include <QKeyEvent>
#include <QStringList>

#include "capture/HotkeyKeys.h"
#include "platform/KeyMap.h"

namespace {

// X keysyms of the recorder's command keys.
constexpr quint32 kEscapeSym = 0xff1b;
constexpr quint32 kBackSpaceSym = 0xff08;
constexpr quint32 kDeleteSym = 0xffff;
constexpr quint32 kKeypadDeleteSym = 0xff9f;

bool isNameCharacter(QChar c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

// The key's character ignoring modifiers. Without the native key (a synthetic event) Qt's key
// stands in: it is the unshifted symbol for letters and digits.
QString plainCharacter(const QKeyEvent& event, KeyMap* keys) {
    if (keys && event.nativeScanCode() != 0) {
        return keys->plainCharacter(event.nativeScanCode());
    }
    const int key = event.key();
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) {
        return QString(QChar(key));
    }
    return {};
}

QString keyName(const QKeyEvent& event, KeyMap* keys) {
    if (keys && event.nativeScanCode() != 0) {
        if (const auto code = keys->neutralKeyCode(event.nativeScanCode())) {
            const QString name = recorderKeyName(*code);
            if (!name.isEmpty()) {
                return name;
            }
        }
    }
    const QString text = plainCharacter(event, keys);
    if (text.size() != 1) {
        return {};
    }
    const QString upper = text.toUpper();
    return upper.size() == 1 && isNameCharacter(upper[0]) ? upper : QString();
}

QString displayPart(const QString& part) {
    static const QHash<QString, QString> shown{
        {QStringLiteral("Command"), QStringLiteral("⌘")},
        {QStringLiteral("Control"), QStringLiteral("⌃")},
        {QStringLiteral("Alt"), QStringLiteral("⌥")},
        {QStringLiteral("Shift"), QStringLiteral("⇧")},
        {QStringLiteral("SPACE"), QStringLiteral("Space")},
        {QStringLiteral("Period"), QStringLiteral(".")},
        {QStringLiteral("Comma"), QStringLiteral(",")},
        {QStringLiteral("Slash"), QStringLiteral("/")},
        {QStringLiteral("Backslash"), QStringLiteral("\\")},
        {QStringLiteral("Semicolon"), QStringLiteral(";")},
        {QStringLiteral("Quote"), QStringLiteral("'")},
        {QStringLiteral("BracketLeft"), QStringLiteral("[")},
        {QStringLiteral("BracketRight"), QStringLiteral("]")},
        {QStringLiteral("Minus"), QStringLiteral("-")},
        {QStringLiteral("Equal"), QStringLiteral("=")},
        {QStringLiteral("Backquote"), QStringLiteral("`")},
    };
    return shown.value(part, part);
}

}  // namespace

namespace HotkeyFormatter {

Command command(const QKeyEvent& event) {
    const quint32 sym = event.nativeVirtualKey();
    if (sym != 0) {
        if (sym == kEscapeSym) {
            return Command::cancel;
        }
        if (sym == kBackSpaceSym || sym == kDeleteSym || sym == kKeypadDeleteSym) {
            return Command::clear;
        }
        return Command::none;
    }
    switch (event.key()) {
        case Qt::Key_Escape:
            return Command::cancel;
        case Qt::Key_Backspace:
        case Qt::Key_Delete:
            return Command::clear;
        default:
            return Command::none;
    }
}

std::optional<QString> capture(const QKeyEvent& event, KeyMap* keys) {
    const QString name = keyName(event, keys);
    if (name.isEmpty()) {
        return std::nullopt;
    }
    // Caps Lock, Num Lock and AltGr carry no meaning here.
    const Qt::KeyboardModifiers held = event.modifiers();
    QStringList parts;
    if (held & Qt::MetaModifier) {
        parts << QStringLiteral("Command");
    }
    if (held & Qt::ControlModifier) {
        parts << QStringLiteral("Control");
    }
    if (held & Qt::AltModifier) {
        parts << QStringLiteral("Alt");
    }
    if (held & Qt::ShiftModifier) {
        parts << QStringLiteral("Shift");
    }
    if (parts.isEmpty()) {
        return std::nullopt;
    }
    parts << name;
    return parts.join(u'+');
}

QString display(const QString& hotkey) {
    QString text = hotkey;
    static const std::pair<const char16_t*, const char16_t*> synonyms[] = {
        {u"Option", u"Alt"},   {u"⌥", u"Alt"},     {u"Cmd", u"Command"}, {u"⌘", u"Command"},
        {u"Ctrl", u"Control"}, {u"⌃", u"Control"}, {u"⇧", u"Shift"},
    };
    for (const auto& [from, to] : synonyms) {
        text.replace(QString::fromUtf16(from), QString::fromUtf16(to));
    }
    if (text.isEmpty() || text.toLower() == QLatin1String("not assigned")) {
        return QString::fromUtf16(notAssigned);
    }
    QStringList parts = text.split(u'+', Qt::SkipEmptyParts);
    for (QString& part : parts) {
        part = displayPart(part);
    }
    return parts.join(u' ');
}

}  // namespace HotkeyFormatter
