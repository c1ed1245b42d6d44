#pragma once

#include <QByteArray>
#include <QCoro/QCoroTask>
#include <QString>
#include <QStringList>

#include "base/NiveloError.h"

// How a tool run ended.
struct ProcessResult {
    // The exit status; -1 when the tool crashed.
    int exitStatus = 0;
    // Everything the tool wrote to its standard error.
    QByteArray standardError;

    bool operator==(const ProcessResult&) const = default;
};

enum class ProcessRunnerErrorKind { launchFailed };

class ProcessRunnerError : public NiveloEnumError<ProcessRunnerErrorKind> {
public:
    static ProcessRunnerError launchFailed(const QString& program) {
        return ProcessRunnerError(ProcessRunnerErrorKind::launchFailed,
                                  QStringLiteral("Could not launch %1.").arg(program));
    }

private:
    using NiveloEnumError::NiveloEnumError;
};

// Runs command-line tools. The tool's standard input and output are the app's own; its
// standard error is collected.
class ProcessRunner {
public:
    virtual ~ProcessRunner() = default;

    // Runs the tool to its end. Throws ProcessRunnerError when it cannot be launched (missing,
    // not executable); a non-zero exit status is not an error.
    virtual QCoro::Task<ProcessResult> run(QString program, QStringList arguments) = 0;
};
