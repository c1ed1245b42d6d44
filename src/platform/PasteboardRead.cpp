#include "platform/PasteboardRead.h"

#include "platform/Clock.h"

namespace pasteboardRead {

QCoro::Task<PasteboardTextRead> plainText(Pasteboard& pasteboard, Clock& clock) {
    while (pasteboard.textPending()) {
        co_await clock.sleep(kPollMs);
    }
    co_return pasteboard.readPlainText();
}

}  // namespace pasteboardRead
