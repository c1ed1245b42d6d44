#include "platform/QProcessRunner.h"

#include <QCoro/QCoroSignal>
#include <QProcess>
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

    raw->start(program, arguments, QIODevice::ReadOnly);
    while (raw->state() == QProcess::Starting) {
        co_await qCoro(raw, &QProcess::stateChanged);
    }
    if (raw->error() == QProcess::FailedToStart) {
        throw ProcessRunnerError::launchFailed(program);
    }
    if (raw->state() != QProcess::NotRunning) {
        co_await qCoro(raw, &QProcess::finished);
    }
    standardError->append(raw->readAllStandardError());

    ProcessResult result;
    result.exitStatus = raw->exitStatus() == QProcess::NormalExit ? raw->exitCode() : -1;
    result.standardError = *standardError;
    co_return result;
}
