#pragma once

#include <QCoro/QCoroTask>
#include <QList>
#include <QString>
#include <memory>

#include "core/PromptStyle.h"
#include "core/QuickAction.h"

class NativeActionService;

// The process-wide entry to the work that leaves the interface: the AI text actions.
class NiveloCore {
public:
    explicit NiveloCore(std::unique_ptr<NativeActionService> actions);
    ~NiveloCore();

    // Made on first use with a backend client for the AI endpoint of the configured origin,
    // over the services of the running process's Platform.
    static NiveloCore& shared();

    // The result text of the action; throws what the action service throws.
    QCoro::Task<QString> run(QuickAction action, QString input, QString targetLanguage,
                             QList<PromptStyle> styles);

private:
    std::unique_ptr<NativeActionService> actions_;
};
