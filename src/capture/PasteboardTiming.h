#pragma once

#include <QtGlobal>

// The waits of one transient pasteboard operation, in milliseconds.
struct PasteboardTiming {
    // After the target application is (re-)activated (read and paste).
    qint64 activationDelay = 180;
    // After the simulated Select All (read).
    qint64 selectAllDelay = 120;
    // After Copy on the first attempt; 0 polls for the copied text instead (read).
    qint64 copyWaitBase = 180;
    // Added to copyWaitBase once per earlier attempt (read).
    qint64 copyWaitStep = 120;
    // Between writing the text and sending Paste (paste).
    qint64 pasteDelay = 180;
    // After Paste, before the user's pasteboard is restored (paste).
    qint64 restoreDelay = 1300;
    // Before each simulated shortcut, wait until the user has let go of the modifier keys.
    bool waitForModifierRelease = true;

    friend bool operator==(const PasteboardTiming&, const PasteboardTiming&) = default;

    static constexpr PasteboardTiming standard() { return {}; }
    static constexpr PasteboardTiming fast() { return {0, 0, 0, 0, 0, 60, false}; }
};
