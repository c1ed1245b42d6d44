#include "platform/QProcessRunner.h"

#include <QCoro/QCoroProcess>
#include <QProcess>
#include <chrono>
#include <memory>

QCoro::Task<ProcessResult> QProcessRunner::run(QString program, QStringList arguments) {
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::ForwardedOutputChannel);
    process->setInputChannelMode(QProcess::ForwardedInputChannel);
    // Drained while the tool runs, so a chatty tool never blocks on a full pipe.
    auto standardError = std::make_shared<QByteArray>();
    QProcess* raw = process.get();
    QObject::connect(raw, &QProcess::readyReadStandardError, raw,
                     [raw, standardError] { standardError->append(raw->readAllStandardError()); });

    const std::chrono::milliseconds noTimeout(-1);
    const bool started =
        co_await qCoro(raw).start(program, arguments, QIODevice::ReadOnly, noTimeout);
    if (!started) {
        throw ProcessRunnerError::launchFailed(program);
    }
    if (raw->state() != QProcess::NotRunning) {
        co_await qCoro(raw).waitForFinished(noTimeout);
    }
    standardError->append(raw->readAllStandardError());

    ProcessResult result;
    result.exitStatus = raw->exitStatus() == QProcess::NormalExit ? raw->exitCode() : -1;
    result.standardError = *standardError;
    co_return result;
}
