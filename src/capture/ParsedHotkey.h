#pragma once

#include <QHash>
#include <QString>
#include <QtGlobal>
#include <optional>

// A hot-key text ("Command+Shift+Space") as a key code and four modifier flags. Lenient:
// modifiers in any order and case, common synonyms and the modifier glyphs.
struct ParsedHotkey {
    bool option = false;
    bool command = false;
    bool shift = false;
    bool control = false;
    quint16 keyCode = 0;

    // None when the text is not a hot key, "Not assigned" and blank texts included.
    static std::optional<ParsedHotkey> parse(const QString& text);

    // "Not assigned" in any case, or a blank text: no hot key at all.
    static bool isNotAssigned(const QString& text);

    // Key code and the flags option, command, shift, control as 1/0, joined by ":"
    // (Command+Shift+Space gives "49:0:1:1:0"); equal for texts that mean the same keys.
    QString canonicalSignature() const;

    // The HotKeyModifier mask of the flags.
    quint32 modifierMask() const;

    // Upper-case key name to key code: the recorder's names, the punctuation characters,
    // TAB, RETURN/ENTER and ESCAPE/ESC.
    static const QHash<QString, quint16>& keyCodes();

    friend bool operator==(const ParsedHotkey&, const ParsedHotkey&) = default;
};
