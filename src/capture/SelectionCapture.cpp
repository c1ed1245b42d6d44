#include "capture/SelectionCapture.h"

#include "capture/FocusService.h"
#include "capture/PasteboardService.h"

namespace {
class SharedSelectionCapture final : public SelectionCapture {
public:
    void rememberFrontmostApplication() override {
        FocusService::shared().rememberFrontmostApplication();
    }
    std::optional<qint64> rememberedProcessIdentifier() const override {
        return FocusService::shared().rememberedProcessIdentifier();
    }
    QString peekSelectedTextViaAccessibility() override {
        return PasteboardService::shared().peekSelectedTextViaAccessibility();
    }
    QCoro::Task<QString> readSelectedTextTransient(bool selectAllBeforeCopy,
                                                   bool includeFocusedTextFallback,
                                                   PasteboardTiming timing) override {
        return PasteboardService::shared().readSelectedTextTransient(
            selectAllBeforeCopy, includeFocusedTextFallback, timing);
    }
};
}  // namespace

SelectionCapture& SelectionCapture::shared() {
    static SharedSelectionCapture instance;
    return instance;
}
