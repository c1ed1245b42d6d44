#pragma once

#include "platform/ProcessRunner.h"

// Tools run as child processes of the app.
class QProcessRunner : public ProcessRunner {
public:
    QCoro::Task<ProcessResult> run(QString program, QStringList arguments) override;
};
