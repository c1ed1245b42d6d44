// The reply paste's part of focus memory: bringing a chat application forward and focusing
// its message editor.
#include "capture/FocusService.h"
#include "capture/ReplyEditorSearch.h"
#include "platform/Workspace.h"

bool FocusService::beginAIReplyPaste(qint64 processIdentifier) {
    restoringProcessIdentifier_ = processIdentifier;
    replyEditor_.reset();
    bool running = false;
    for (const auto& app : workspace_.runningApplications()) {
        running = running || app.processIdentifier == processIdentifier;
    }
    bool active = false;
    if (running) {
        if (const auto element = accessibility_.applicationElement(processIdentifier)) {
            accessibility_.enableBrowserAccessibility(element);
        }
        const auto frontmost = workspace_.frontmostApplication();
        active = (frontmost && frontmost->processIdentifier == processIdentifier) ||
                 workspace_.activate(processIdentifier);
    }
    if (!active) {
        endAIReplyPaste();
    }
    return active;
}

void FocusService::endAIReplyPaste() {
    restoringProcessIdentifier_.reset();
    replyEditor_.reset();
}

bool FocusService::focusAIReplyEditor(qint64 processIdentifier) {
    if (rememberedProcessIdentifier_ != processIdentifier) {
        return false;
    }
    // No tree (no accessibility bus, a toolkit without it): no editor to find.
    const AXElementPtr application = accessibility_.applicationElement(processIdentifier);
    if (!application) {
        return false;
    }
    // A busy application may show no active window yet when it is remembered: the window it
    // has in front once brought forward is then the one to write into.
    const AXElementPtr window =
        rememberedWindow_ ? rememberedWindow_ : accessibility_.focusedWindow(application);
    if (!window) {
        return false;
    }
    ReplyEditorSearch search(accessibility_);
    accessibility_.enableBrowserAccessibility(application);
    accessibility_.setFocusedWindow(application, window);
    accessibility_.raise(window);

    const auto take = [&](const AXElementPtr& editor) {
        if (!editor || !search.focus(editor, application)) {
            return false;
        }
        replyEditor_ = editor;
        return true;
    };

    const AXElementPtr ancestor =
        search.editableAncestor(accessibility_.focusedElement(application));
    if (ancestor && search.isInsideWebContent(ancestor) && take(ancestor)) {
        return true;
    }

    // Without a web area there is no web candidate, and the focused editor comes before the
    // rest: the window need not be walked for them.
    const QList<AXElementPtr> areas = search.webAreas(window);
    if (ancestor && areas.isEmpty()) {
        return take(ancestor);
    }
    const QList<AXElementPtr> candidates = search.editableElements(window, areas);
    QList<AXElementPtr> webCandidates;
    for (const auto& candidate : candidates) {
        if (search.isInsideWebContent(candidate)) {
            webCandidates.append(candidate);
        }
    }
    if (!webCandidates.isEmpty() && take(search.choose(webCandidates))) {
        return true;
    }
    return take(ancestor ? ancestor : search.choose(candidates));
}
