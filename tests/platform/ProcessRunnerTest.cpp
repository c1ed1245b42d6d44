// Real child processes through the process runner.

#include <gtest/gtest.h>

#include "platform/QProcessRunner.h"
#include "support/EventWait.h"
#include "support/QtPrinters.h"

// Standard output is not collected; a crash is not a success; more standard error than a pipe
// holds would block the tool for ever if it were read only after the tool ends.
TEST(ProcessRunner, GivesTheExitStatusAndTheStandardErrorReadWhileTheToolRuns) {
    const struct {
        const char* script;
        ProcessResult expected;
    } cases[] = {
        {"echo to-stdout; printf 'went wrong\\n' >&2; exit 3", {3, "went wrong\n"}},
        {"head -c 300000 /dev/zero | tr '\\0' x >&2; exit 1", {1, QByteArray(300000, 'x')}},
        {"kill -SEGV $$", {-1, {}}},
    };
    QProcessRunner runner;
    for (const auto& c : cases) {
        auto outcome = startTask(runner.run(QStringLiteral("/bin/sh"),
                                            {QStringLiteral("-c"), QString::fromUtf8(c.script)}));
        ASSERT_TRUE(waitUntil([&] { return outcome->done; }));
        ASSERT_TRUE(outcome->value) << outcome->errorDescription().toStdString();
        EXPECT_EQ(*outcome->value, c.expected) << c.script;
    }
    // A missing tool is a launch error.
    auto outcome = startTask(runner.run("/nonexistent/tool", {}));
    ASSERT_TRUE(waitUntil([&] { return outcome->done; }));
    EXPECT_EQ(outcome->errorDescription(), "Could not launch /nonexistent/tool.");
}
