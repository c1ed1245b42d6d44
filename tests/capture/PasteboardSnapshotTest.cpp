#include <gtest/gtest.h>

#include "capture/PasteboardSnapshot.h"
#include "support/SimulatedPasteboard.h"

TEST(PasteboardSnapshotTest, ARepresentationWithoutDataIsLeftOut) {
    SimulatedPasteboard pasteboard;
    pasteboard.putItems({{{QStringLiteral("text/plain"), QByteArray("plain")},
                          {QStringLiteral("application/x-lazy"), std::nullopt},
                          {QStringLiteral("text/html"), QByteArray("<i>rich</i>")}}});
    const auto snapshot = PasteboardSnapshot::capture(pasteboard);
    ASSERT_EQ(snapshot.items.size(), 1);
    EXPECT_EQ(snapshot.items[0].values,
              QList<PasteboardValue>({{QStringLiteral("text/plain"), QByteArray("plain")},
                                      {QStringLiteral("text/html"), QByteArray("<i>rich</i>")}}));

    pasteboard.putText(QStringLiteral("other"));
    const auto before = pasteboard.changeCount();
    snapshot.restore(pasteboard);
    EXPECT_EQ(pasteboard.itemTypes(0),
              QStringList({QStringLiteral("text/plain"), QStringLiteral("text/html")}));
    EXPECT_EQ(pasteboard.content(), snapshot.items);
    EXPECT_GT(pasteboard.changeCount(), before);
}

TEST(PasteboardSnapshotTest, AnItemWithoutAnyDataKeepsItsPlace) {
    SimulatedPasteboard pasteboard;
    pasteboard.putItems({{{QStringLiteral("application/x-lazy"), std::nullopt}},
                         {{QStringLiteral("image/png"), QByteArray("\0png", 4)}}});
    const auto snapshot = PasteboardSnapshot::capture(pasteboard);
    ASSERT_EQ(snapshot.items.size(), 2);
    EXPECT_TRUE(snapshot.items[0].values.isEmpty());
    EXPECT_EQ(snapshot.items[1].values[0].data, QByteArray("\0png", 4));
}

TEST(PasteboardSnapshotTest, AnEmptyPasteboardIsRestoredEmpty) {
    SimulatedPasteboard pasteboard;
    const auto snapshot = PasteboardSnapshot::capture(pasteboard);
    EXPECT_TRUE(snapshot.items.isEmpty());
    pasteboard.putText(QStringLiteral("meanwhile"));
    snapshot.restore(pasteboard);
    EXPECT_EQ(pasteboard.itemCount(), 0);
    EXPECT_EQ(pasteboard.plainText(), std::nullopt);
    EXPECT_EQ(pasteboard.writeCount(), 0);
}
