#pragma once

#include <QCoro/QCoroTask>

#include "platform/Pasteboard.h"

class Clock;

namespace pasteboardRead {

// How often a wait for a read aside looks.
inline constexpr qint64 kPollMs = 2;

// The pasteboard's plain text once it has been read: a content still being read aside is
// waited for in the event loop, never taken for one without text. The read ends within its
// own limits.
QCoro::Task<PasteboardTextRead> plainText(Pasteboard& pasteboard, Clock& clock);

}  // namespace pasteboardRead
