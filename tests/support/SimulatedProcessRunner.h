#pragma once

#include <QList>
#include <deque>
#include <optional>

#include "platform/ProcessRunner.h"

class Clock;

// Tools that a test scripts: each run takes the next scripted outcome (exit status 0 with no
// output when none is left), optionally lasting a while on the clock.
class SimulatedProcessRunner : public ProcessRunner {
public:
    explicit SimulatedProcessRunner(Clock& clock) : clock_(clock) {}

    struct Outcome {
        ProcessResult result;
        bool launchFails = false;
    };
    std::deque<Outcome> script;
    // How long every run lasts on the clock.
    qint64 durationMs = 0;

    struct Call {
        QString program;
        QStringList arguments;
        qint64 startedAtMs;
        qint64 endedAtMs = -1;
    };
    QList<Call> calls;

    void exitWith(int status, QByteArray standardError = {}) {
        script.push_back({{status, std::move(standardError)}, false});
    }
    void failToLaunch() { script.push_back({{}, true}); }

    QCoro::Task<ProcessResult> run(QString program, QStringList arguments) override;

private:
    Clock& clock_;
};
