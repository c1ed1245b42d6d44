#include "backend/NativeActionService.h"

#include "backend/BackendClient.h"
#include "backend/NiveloCoreError.h"
#include "core/NiveloPromptLibrary.h"

NativeActionService::NativeActionService(std::unique_ptr<BackendClient> backend)
    : backend_(std::move(backend)) {}

NativeActionService::~NativeActionService() = default;

QCoro::Task<QString> NativeActionService::run(NativeActionRequest request) {
    const QuickAction& action = request.action;
    if (action.id == QLatin1String("ai")) {
        throw NiveloCoreError::actionNotPortedYet(QStringLiteral("AI assistant"));
    }
    if (action.id == QLatin1String("clipboard")) {
        throw NiveloCoreError::actionNotPortedYet(QStringLiteral("Clipboard window"));
    }
    if (action.id == QLatin1String("layout")) {
        throw NiveloCoreError::actionNotPortedYet(QStringLiteral("Keyboard layout fix"));
    }
    // Only the caller's list counts: a style missing from it is missing, built-in or not.
    const std::optional<QString> styleId = action.styleId();
    const PromptStyle* style = nullptr;
    if (styleId) {
        for (const PromptStyle& candidate : request.styles) {
            if (candidate.id == *styleId) {
                style = &candidate;
                break;
            }
        }
    }
    if (!style) {
        throw NiveloCoreError::actionNotPortedYet(QStringLiteral("Style ") + action.id);
    }
    BackendRequestArguments arguments{.action = NiveloPromptLibrary::backendAction(action, *style),
                                      .style = *style,
                                      .targetLanguage = request.targetLanguage};
    QString result = co_await backend_->send(request.input, std::move(arguments));
    co_return result;
}
