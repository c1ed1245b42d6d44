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
};

// A failure of reading the selection or pasting a result.
class PasteboardServiceError : public NiveloEnumError<PasteboardServiceErrorKind> {
public:
    explicit PasteboardServiceError(PasteboardServiceErrorKind kind)
        : NiveloEnumError(kind, describe(kind)) {}

    static QString describe(PasteboardServiceErrorKind kind);
};
