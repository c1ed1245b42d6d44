#pragma once

#include <QCoro/QCoroTask>
#include <QList>
#include <QString>
#include <memory>

#include "core/PromptStyle.h"
#include "core/QuickAction.h"

class BackendClient;

// Turns a quick action and a text into one call of the backend client. The assistant, the
// clipboard window and the layout fix are run elsewhere and refused here.
class NativeActionService {
public:
    explicit NativeActionService(std::unique_ptr<BackendClient> backend);
    ~NativeActionService();

    // styles: the caller's list; a style action runs only with a style from it. The input goes
    // to the backend client as it came (the client trims and splits).
    QCoro::Task<QString> run(QuickAction action, QString input, QString targetLanguage,
                             QList<PromptStyle> styles);

    BackendClient& backend() { return *backend_; }

private:
    std::unique_ptr<BackendClient> backend_;
};
