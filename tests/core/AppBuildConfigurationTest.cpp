#include <gtest/gtest.h>

#include "core/AppBuildConfiguration.h"

using namespace AppBuildConfiguration;

TEST(BuildInformation, MissingOrMalformedValuesFallBack) {
    EXPECT_EQ(versionFrom(std::nullopt), "0.0.0");
    EXPECT_EQ(versionFrom(QString("2.3.1")), "2.3.1");
    EXPECT_EQ(buildFrom(QString("42")), 42);
    EXPECT_EQ(buildFrom(QString("1.2")), 0);
    EXPECT_EQ(buildFrom(QString(" 5")), 0);
    EXPECT_EQ(buildFrom(std::nullopt), 0);
    EXPECT_EQ(currentVersion(), QString(NIVELO_VERSION));
    EXPECT_EQ(currentBuild(), QString(NIVELO_BUILD_NUMBER).toLongLong());
}
