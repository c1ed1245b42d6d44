#include "capture/PasteboardServiceError.h"

QString PasteboardServiceError::describe(PasteboardServiceErrorKind kind) {
    using K = PasteboardServiceErrorKind;
    switch (kind) {
        case K::emptyText:
            return QStringLiteral("Nothing to paste.");
        case K::emptySelection:
            return QStringLiteral("No selected text.");
        case K::missingAccessibilityPermission:
            return QStringLiteral("Accessibility permission is required for paste.");
        case K::pasteTargetUnavailable:
            return QStringLiteral("No app to paste into.");
        case K::pasteEditorUnavailable:
            return QStringLiteral("No editable field found in the target app.");
        case K::pasteNotApplied:
            return QStringLiteral("The paste shortcut was sent, but the field did not change.");
        case K::pasteEventFailed:
            return QStringLiteral("Could not send paste shortcut.");
        case K::copyEventFailed:
            return QStringLiteral("Could not send copy shortcut.");
        case K::pasteboardNotKept:
            return QStringLiteral("Could not keep your clipboard, so nothing was changed.");
    }
    return {};
}
