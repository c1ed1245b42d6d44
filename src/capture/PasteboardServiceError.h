#pragma once

#include "base/NiveloError.h"

enum class PasteboardServiceErrorKind {
    emptyText,
    emptySelection,
    missingAccessibilityPermission,
    pasteTargetUnavailable,
    pasteEditorUnavailable,
    pasteNotApplied,
    pasteEventFailed,
    copyEventFailed,
    // The user's clipboard could not be read in full, so it was not borrowed.
    pasteboardNotKept,
};

// A failure of reading the selection or pasting a result.
class PasteboardServiceError : public NiveloEnumError<PasteboardServiceErrorKind> {
public:
    explicit PasteboardServiceError(PasteboardServiceErrorKind kind)
        : NiveloEnumError(kind, describe(kind)) {}

    static QString describe(PasteboardServiceErrorKind kind);
};
