#include <gtest/gtest.h>

#include <limits>

#include "platform/MemoryDefaults.h"

// Integer readings of values that do not fit 64 bits, stored as text (as a file gives them
// back) or typed.
TEST(DefaultsRange, NumbersBeyondTheRangeReadAsItsNearestEnd) {
    constexpr qint64 top = std::numeric_limits<qint64>::max();
    constexpr qint64 bottom = std::numeric_limits<qint64>::min();
    const std::vector<std::pair<QVariant, qint64>> cases{
        {QStringLiteral("99999999999999999999"), top},
        {QStringLiteral("1e20"), top},
        {QStringLiteral("9223372036854775808"), top},
        {QStringLiteral("1e400"), top},
        {QStringLiteral("inf"), top},
        {QStringLiteral("-99999999999999999999"), bottom},
        {QStringLiteral("-1e20"), bottom},
        {QStringLiteral("-1e400"), bottom},
        {QVariant(1e20), top},
        {QVariant(-1e20), bottom},
        {QVariant(std::numeric_limits<quint64>::max()), top},
        // Inside the range nothing changes.
        {QStringLiteral("9223372036854775807"), top},
        {QStringLiteral("-9223372036854775808"), bottom},
        {QStringLiteral("1e18"), 1'000'000'000'000'000'000},
        {QStringLiteral("-2.9"), -2},
        {QStringLiteral("nan"), 0},
        {QStringLiteral("12abc"), 0},
    };
    MemoryDefaults defaults;
    for (const auto& [stored, expected] : cases) {
        defaults.set(QStringLiteral("nivelo.number"), stored);
        EXPECT_EQ(defaults.integerValue(QStringLiteral("nivelo.number")), expected)
            << stored.toString().toStdString();
    }
}
