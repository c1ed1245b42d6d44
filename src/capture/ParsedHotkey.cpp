#include "capture/ParsedHotkey.h"

#include <QStringList>

#include "base/Text.h"
#include "capture/HotkeyKeys.h"
#include "platform/HotKeyRegistry.h"

const QHash<QString, quint16>& ParsedHotkey::keyCodes() {
    static const QHash<QString, quint16> table = [] {
        QHash<QString, quint16> t;
        for (const HotkeyKey& key : recorderKeyNames()) {
            t.insert(QString::fromLatin1(key.name).toUpper(), key.keyCode);
        }
        const std::pair<const char*, quint16> extra[] = {
            {"=", 24},      {"-", 27},     {"]", 30},      {"[", 33},   {"'", 39}, {";", 41},
            {"\\", 42},     {",", 43},     {"/", 44},      {".", 47},   {"`", 50}, {"TAB", 48},
            {"RETURN", 36}, {"ENTER", 36}, {"ESCAPE", 53}, {"ESC", 53},
        };
        for (const auto& [name, code] : extra) {
            t.insert(QString::fromLatin1(name), code);
        }
        return t;
    }();
    return table;
}

bool ParsedHotkey::isNotAssigned(const QString& text) {
    const QString t = text::trimmed(text);
    return t.isEmpty() || t.toLower() == QStringLiteral("not assigned");
}

std::optional<ParsedHotkey> ParsedHotkey::parse(const QString& text) {
    if (isNotAssigned(text)) {
        return std::nullopt;
    }
    QString t = text;
    t.replace(QStringLiteral("Option"), QStringLiteral("Alt"));
    t.replace(QStringLiteral("⌥"), QStringLiteral("Alt"));
    t.replace(QStringLiteral("⌘"), QStringLiteral("Command"));
    t.replace(QStringLiteral("⇧"), QStringLiteral("Shift"));
    t.replace(QStringLiteral("⌃"), QStringLiteral("Control"));

    QStringList pieces;
    for (const QString& raw : t.split(QLatin1Char('+'), Qt::SkipEmptyParts)) {
        const QString piece = text::trimmed(raw);
        if (!piece.isEmpty()) {
            pieces << piece;
        }
    }
    if (pieces.isEmpty()) {
        return std::nullopt;
    }

    ParsedHotkey parsed;
    const auto key = keyCodes().constFind(pieces.last().toUpper());
    if (key == keyCodes().constEnd()) {
        return std::nullopt;
    }
    parsed.keyCode = *key;

    for (qsizetype i = 0; i + 1 < pieces.size(); ++i) {
        const QString m = pieces[i].toLower();
        if (m == QLatin1String("alt") || m == QLatin1String("option")) {
            parsed.option = true;
        } else if (m == QLatin1String("cmd") || m == QLatin1String("command")) {
            parsed.command = true;
        } else if (m == QLatin1String("shift")) {
            parsed.shift = true;
        } else if (m == QLatin1String("ctrl") || m == QLatin1String("control")) {
            parsed.control = true;
        } else {
            return std::nullopt;
        }
    }
    return parsed;
}

QString ParsedHotkey::canonicalSignature() const {
    const auto flag = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
    return QString::number(keyCode) + u':' + flag(option) + u':' + flag(command) + u':' +
           flag(shift) + u':' + flag(control);
}

quint32 ParsedHotkey::modifierMask() const {
    quint32 mask = 0;
    if (command) {
        mask += HotKeyModifier::Command;
    }
    if (shift) {
        mask += HotKeyModifier::Shift;
    }
    if (option) {
        mask += HotKeyModifier::Option;
    }
    if (control) {
        mask += HotKeyModifier::Control;
    }
    return mask;
}
