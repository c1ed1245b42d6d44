#include "core/NiveloCore.h"

#include "core/BackendClient.h"
#include "core/BackendEndpoint.h"
#include "core/NativeActionService.h"

NiveloCore::NiveloCore(std::unique_ptr<NativeActionService> actions)
    : actions_(std::move(actions)) {}

NiveloCore::~NiveloCore() = default;

NiveloCore& NiveloCore::shared() {
    static NiveloCore core(std::make_unique<NativeActionService>(
        std::make_unique<BackendClient>(BackendEndpoint::aiURL(), QString())));
    return core;
}

QCoro::Task<QString> NiveloCore::run(QuickAction action, QString input, QString targetLanguage,
                                     QList<PromptStyle> styles) {
    QString result = co_await actions_->run(std::move(action), std::move(input),
                                            std::move(targetLanguage), std::move(styles));
    co_return result;
}
