// Real child processes through the process runner.

#include <gtest/gtest.h>

#include "platform/QProcessRunner.h"
#include "support/EventWait.h"
#include "support/QtPrinters.h"

namespace {
std::shared_ptr<TaskOutcome<ProcessResult>> runShell(QProcessRunner& runner,
                                                     const QString& script) {
    auto outcome = startTask(runner.run(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script}));
    EXPECT_TRUE(waitUntil([&] { return outcome->done; }));
    return outcome;
}
}  // namespace

TEST(ProcessRunner, GivesTheExitStatusAndTheStandardError) {
    QProcessRunner runner;
    const auto outcome = runShell(runner, "echo to-stdout; printf 'went wrong\\n' >&2; exit 3");
    ASSERT_TRUE(outcome->value) << outcome->errorDescription().toStdString();
    EXPECT_EQ(outcome->value->exitStatus, 3);
    // Standard output is not collected.
    EXPECT_EQ(outcome->value->standardError, "went wrong\n");
}

TEST(ProcessRunner, ZeroStatusWithoutOutput) {
    QProcessRunner runner;
    const auto outcome = runShell(runner, "true");
    ASSERT_TRUE(outcome->value);
    EXPECT_EQ(*outcome->value, (ProcessResult{0, {}}));
}

// More than a pipe holds: the tool would block for ever if its standard error were read only
// after it ends.
TEST(ProcessRunner, ReadsALargeStandardErrorWhileTheToolRuns) {
    QProcessRunner runner;
    const auto outcome = runShell(runner, "head -c 300000 /dev/zero | tr '\\0' x >&2; exit 1");
    ASSERT_TRUE(outcome->value);
    EXPECT_EQ(outcome->value->exitStatus, 1);
    EXPECT_EQ(outcome->value->standardError, QByteArray(300000, 'x'));
}

TEST(ProcessRunner, ACrashIsNotASuccess) {
    QProcessRunner runner;
    const auto outcome = runShell(runner, "kill -SEGV $$");
    ASSERT_TRUE(outcome->value);
    EXPECT_EQ(outcome->value->exitStatus, -1);
}

TEST(ProcessRunner, AMissingToolIsALaunchError) {
    QProcessRunner runner;
    auto outcome = startTask(runner.run(QStringLiteral("/nonexistent/tool"), {}));
    ASSERT_TRUE(waitUntil([&] { return outcome->done; }));
    EXPECT_FALSE(outcome->value);
    EXPECT_EQ(outcome->errorDescription(), "Could not launch /nonexistent/tool.");
}
