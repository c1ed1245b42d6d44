#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "platform/KeyModifiers.h"

// A key with the modifiers held for it.
struct TerminalShortcut {
    quint16 keyCode = 0;
    KeyModifiers modifiers;

    friend bool operator==(const TerminalShortcut&, const TerminalShortcut&) = default;
};

// How a terminal emulator takes Copy and Paste. A terminal hands Control+C to the running
// program as an interrupt and Control+A/V as line-editing commands, so none of those may reach
// it. Terminals without a copy key (the xterm family) keep their selection in PRIMARY and
// paste PRIMARY on Shift+Insert.
struct TerminalKeys {
    // none: the terminal has no copy key; its selection is read from PRIMARY.
    std::optional<TerminalShortcut> copy;
    TerminalShortcut paste;
    // The paste key inserts PRIMARY rather than the clipboard.
    bool pastesPrimary = false;
};

struct TerminalEntry {
    QString windowClass;  // lower case
    TerminalKeys keys;
};

// Every terminal emulator we know by window class.
const QList<TerminalEntry>& terminalTable();

// The terminal a window's WM_CLASS (class, then instance) names, matched case-blind; none for
// other applications.
std::optional<TerminalKeys> terminalKeysFor(const QStringList& windowClass);
