#include <gtest/gtest.h>

#include "capture/PasteboardSnapshot.h"
#include "support/SimulatedPasteboard.h"

// A representation without data is left out; an item without any keeps its place.
TEST(PasteboardSnapshotTest, KeepsEveryItemWithTheRepresentationsThatYieldData) {
    SimulatedPasteboard pasteboard;
    pasteboard.putItems({{{QStringLiteral("text/plain"), QByteArray("plain")},
                          {QStringLiteral("application/x-lazy"), std::nullopt},
                          {QStringLiteral("text/html"), QByteArray("<i>rich</i>")}},
                         {{QStringLiteral("application/x-lazy"), std::nullopt}},
                         {{QStringLiteral("image/png"), QByteArray("\0png", 4)}}});
    const auto snapshot = PasteboardSnapshot::capture(pasteboard);
    ASSERT_EQ(snapshot.items.size(), 3);
    EXPECT_EQ(snapshot.items[0].values,
              QList<PasteboardValue>({{QStringLiteral("text/plain"), QByteArray("plain")},
                                      {QStringLiteral("text/html"), QByteArray("<i>rich</i>")}}));
    EXPECT_TRUE(snapshot.items[1].values.isEmpty());
    EXPECT_EQ(snapshot.items[2].values,
              QList<PasteboardValue>({{QStringLiteral("image/png"), QByteArray("\0png", 4)}}));

    pasteboard.putText(QStringLiteral("other"));
    const auto before = pasteboard.changeCount();
    snapshot.restore(pasteboard);
    EXPECT_EQ(pasteboard.itemTypes(0),
              QStringList({QStringLiteral("text/plain"), QStringLiteral("text/html")}));
    EXPECT_EQ(pasteboard.content(), snapshot.items);
    EXPECT_GT(pasteboard.changeCount(), before);
}
