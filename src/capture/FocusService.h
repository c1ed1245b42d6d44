#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

#include "platform/Accessibility.h"

class Workspace;
struct RunningApplication;

// One application by its process and identifier: where an action read its text and must
// write its result.
struct FocusTarget {
    qint64 processIdentifier = 0;
    QString bundleIdentifier;

    friend bool operator==(const FocusTarget&, const FocusTarget&) = default;
};

// Remembers the application the user was working in before the app's own panels took the
// keyboard, and brings it back when text is read from it or written into it.
class FocusService : public QObject {
    Q_OBJECT
public:
    // The app's own identifiers; never remembered.
    static const QStringList& niveloBundleIdentifiers();

    // Starts remembering every application that becomes active.
    FocusService(Workspace& workspace, Accessibility& accessibility, QObject* parent = nullptr);

    // The process-wide instance over the current platform, created on first use.
    static FocusService& shared();

    const std::optional<QString>& rememberedBundleIdentifier() const {
        return rememberedBundleIdentifier_;
    }
    const std::optional<qint64>& rememberedProcessIdentifier() const {
        return rememberedProcessIdentifier_;
    }
    // The remembered process and identifier; none until an application was remembered.
    std::optional<FocusTarget> rememberedTarget() const;
    // Its focused window when it was remembered; null when it had none.
    const AXElementPtr& rememberedWindow() const { return rememberedWindow_; }

    // Remembers the application unless it has no identifier or is one of ours.
    void remember(const RunningApplication& application);
    // Remembers the frontmost application; a window of an unknown process active: none.
    void rememberFrontmostApplication();

    // Activates the first running application with that identifier; true when it is active
    // already or became active.
    bool activate(const QString& bundleIdentifier);
    // Activates the remembered process while it runs, else the first application with the
    // remembered identifier. True when the target is (or became) active.
    bool activateRememberedApplication();
    // Activates exactly that process while it runs; false when it is gone (never another
    // process in its place).
    bool activate(const FocusTarget& target);

    // A reply paste into that process starts: brings it forward and keeps its activation from
    // being remembered. False (and nothing held) when it is gone or cannot be activated.
    bool beginAIReplyPaste(qint64 processIdentifier);
    // Raises the remembered window of that process (the one it has in front when none was seen
    // yet) and focuses its message editor, which becomes replyEditor(). False when no editor
    // could be focused.
    bool focusAIReplyEditor(qint64 processIdentifier);
    // The reply paste is over.
    void endAIReplyPaste();
    const AXElementPtr& replyEditor() const { return replyEditor_; }
    const std::optional<qint64>& restoringProcessIdentifier() const {
        return restoringProcessIdentifier_;
    }

private:
    Workspace& workspace_;
    Accessibility& accessibility_;
    std::optional<QString> rememberedBundleIdentifier_;
    std::optional<qint64> rememberedProcessIdentifier_;
    AXElementPtr rememberedWindow_;
    AXElementPtr replyEditor_;
    std::optional<qint64> restoringProcessIdentifier_;
};
