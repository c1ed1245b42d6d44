#pragma once

#include <QtGlobal>

// What a component that writes the general pasteboard for its own purposes tells the clipboard
// history, so that its transient writes are never recorded: suppress before the first write,
// finish once when done.
class ClipboardCapture {
public:
    virtual ~ClipboardCapture() = default;

    // Records nothing for `seconds` from now (or longer, when a later deadline is set).
    virtual void suppressCapture(double seconds) = 0;
    // Ends the suppression and takes the pasteboard's present content as already seen.
    virtual void finishTransientPasteboardUse() = 0;
    // Ends the suppression early; changes after `seenChangeCount` are recorded as usual, so a
    // copy the user made meanwhile is not lost.
    virtual void resumeCapture(qint64 seenChangeCount) = 0;
};
