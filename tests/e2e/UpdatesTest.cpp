#include <gtest/gtest.h>

#include "core/AppBuildConfiguration.h"
#include "support/NiveloRoad.h"

namespace {

int updateRequests(NiveloRoad& road) {
    int count = 0;
    for (const RecordedRequest& request : road.backend().requests()) {
        count += request.method == "GET" && request.target.startsWith("/macos/app/version?");
    }
    return count;
}

// nivelo alone on a private desktop with the stand-in as its backend.
void launch(NiveloRoad& road) {
    ASSERT_TRUE(road.session().isReady()) << road.session().error().toStdString();
    ASSERT_TRUE(road.startNivelo()) << road.error().toStdString();
}

}  // namespace

TEST(Updates, AskTheStandInOnceAtLaunchOrNotAtAllWhenAutomaticChecksAreOff) {
    for (const bool checks : {true, false}) {
        SCOPED_TRACE(checks);
        NiveloRoad road(
            {.niveloBinary = NIVELO_BINARY,
             .defaults = {{"nivelo.updates.automaticChecksEnabled", checks ? "true" : "false"}}});
        launch(road);
        XSession::waitUntil([&] { return checks && updateRequests(road) > 0; }, checks ? 5000 : 0);
        // Long enough for a second request to have come, had there been one.
        XSession::waitUntil([] { return false; }, 1500);
        EXPECT_EQ(updateRequests(road), checks ? 1 : 0);
        EXPECT_EQ(road.backend().requestCount(), updateRequests(road));
        if (checks && updateRequests(road) == 1) {
            const RecordedRequest& request = road.backend().requests().first();
            EXPECT_EQ(QString::fromLatin1(request.target),
                      "/macos/app/version?channel=release&platform=macos&current_version=" +
                          AppBuildConfiguration::currentVersion() + "&current_build=" +
                          QString::number(AppBuildConfiguration::currentBuild()) +
                          "&bundle_id=ai.nivelo.native&locale=en");
            EXPECT_TRUE(request.body.isEmpty());
        }
    }
}
