#include "support/SimulatedProcessRunner.h"

#include "platform/Clock.h"

QCoro::Task<ProcessResult> SimulatedProcessRunner::run(QString program, QStringList arguments) {
    Outcome outcome;
    if (!script.empty()) {
        outcome = script.front();
        script.pop_front();
    }
    const qsizetype index = calls.size();
    calls.append({program, arguments, clock_.nowMs()});
    if (outcome.launchFails) {
        throw ProcessRunnerError::launchFailed(program);
    }
    if (durationMs > 0) {
        co_await clock_.sleep(durationMs);
    }
    calls[index].endedAtMs = clock_.nowMs();
    ProcessResult result = outcome.result;
    co_return result;
}
