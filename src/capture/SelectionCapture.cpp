#include "capture/SelectionCapture.h"

#include "capture/FocusService.h"
#include "capture/PasteboardService.h"

SelectionCapture& SelectionCapture::shared() {
    static FocusedSelectionCapture instance(FocusService::shared(), PasteboardService::shared());
    return instance;
}

void FocusedSelectionCapture::rememberFrontmostApplication() {
    focus_.rememberFrontmostApplication();
}

std::optional<qint64> FocusedSelectionCapture::rememberedProcessIdentifier() const {
    return focus_.rememberedProcessIdentifier();
}

QString FocusedSelectionCapture::peekSelectedTextViaAccessibility() {
    return pasteboard_.peekSelectedTextViaAccessibility();
}

QCoro::Task<QString> FocusedSelectionCapture::readSelectedTextTransient(
    bool selectAllBeforeCopy, bool includeFocusedTextFallback, PasteboardTiming timing) {
    const SelectionRead read = co_await pasteboard_.readSelectedTextTransient(
        selectAllBeforeCopy, includeFocusedTextFallback, timing);
    co_return read.text;
}

bool FocusedSelectionCapture::ownKeyEventsMayArrive() const {
    return pasteboard_.ownKeyEventsMayArrive();
}
