#include <gtest/gtest.h>

#include <QBuffer>
#include <QColor>
#include <QImage>

#include "capture/PasteboardSnapshot.h"
#include "platform/x11/X11Pasteboard.h"
#include "support/XSession.h"
#include "x11/X11TestSupport.h"

namespace {
QByteArray pngBytes() {
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(QColor(200, 40, 90));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

bool waitForChange(const X11Pasteboard& pasteboard, qint64 from) {
    return XSession::waitUntil([&] { return pasteboard.changeCount() != from; }, 3000);
}
}  // namespace

// Another client owns text: the snapshot sees it and no selection-protocol target.
TEST(X11Pasteboard, ReadsAnotherOwnersTextWithoutProtocolTargets) {
    X11Pasteboard pasteboard;
    const qint64 before = pasteboard.changeCount();
    x11Session().setClipboardText("from the user");
    ASSERT_TRUE(waitForChange(pasteboard, before));

    EXPECT_EQ(pasteboard.plainText(), QString("from the user"));
    EXPECT_EQ(pasteboard.itemCount(), 1);
    const QStringList types = pasteboard.itemTypes(0);
    EXPECT_TRUE(types.contains("text/plain")) << types.join(' ').toStdString();
    for (const char* protocol : {"TARGETS", "MULTIPLE", "TIMESTAMP", "SAVE_TARGETS", "DELETE"}) {
        EXPECT_FALSE(types.contains(protocol)) << protocol;
    }
    EXPECT_EQ(pasteboard.itemData(0, "text/plain"), QByteArray("from the user"));
}

// An image on the clipboard comes back byte for byte after a snapshot and restore, and the
// restore is served to other clients by us.
TEST(X11Pasteboard, SnapshotRestoresAnImageByteForByte) {
    const QByteArray png = pngBytes();
    const QString file = x11Session().path("picture.png");
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(png);
    }
    X11Pasteboard pasteboard;
    const qint64 before = pasteboard.changeCount();
    x11Session().setClipboardImage(file);
    ASSERT_TRUE(waitForChange(pasteboard, before));

    const PasteboardSnapshot snapshot = PasteboardSnapshot::capture(pasteboard);
    ASSERT_EQ(snapshot.items.size(), 1);
    bool hasPng = false;
    for (const PasteboardValue& value : snapshot.items[0].values) {
        hasPng = hasPng || (value.type == "image/png" && value.data == png);
        EXPECT_NE(value.type, "application/x-qt-image");
    }
    EXPECT_TRUE(hasPng);

    pasteboard.clear();
    pasteboard.setPlainText("pasted result");
    EXPECT_EQ(fetchClipboard("UTF8_STRING"), QByteArray("pasted result"));

    snapshot.restore(pasteboard);
    EXPECT_EQ(fetchClipboard("image/png"), png);
}

// Our own writes move the change count at once; another owner moves it once Qt hears of it.
TEST(X11Pasteboard, ChangeCountMovesOnOurWritesAndOnNewOwners) {
    X11Pasteboard pasteboard;
    qint64 count = pasteboard.changeCount();
    pasteboard.setPlainText("one");
    EXPECT_GT(pasteboard.changeCount(), count);
    count = pasteboard.changeCount();
    pasteboard.clear();
    EXPECT_GT(pasteboard.changeCount(), count);
    count = pasteboard.changeCount();
    pasteboard.writeItems({PasteboardItem{{PasteboardValue{"text/plain", "two"}}}});
    EXPECT_GT(pasteboard.changeCount(), count);

    // Not ours while xclip checks what it wrote.
    pasteboard.clear();
    count = pasteboard.changeCount();
    x11Session().setClipboardText("three");
    EXPECT_TRUE(waitForChange(pasteboard, count));
    EXPECT_EQ(pasteboard.plainText(), QString("three"));
}

// A paste is served when another client fetches a text target of what we wrote; our own
// reads and a fetch of the target list do not count.
TEST(X11Pasteboard, NotesWhenAnotherClientFetchesTheText) {
    X11Pasteboard pasteboard;
    pasteboard.clear();
    pasteboard.setPlainText("result");
    EXPECT_FALSE(pasteboard.lastWriteTextServed());

    EXPECT_EQ(pasteboard.plainText(), QString("result"));
    EXPECT_TRUE(PasteboardSnapshot::capture(pasteboard).items.size() == 1);
    EXPECT_FALSE(fetchClipboard("TARGETS").isEmpty());
    EXPECT_FALSE(pasteboard.lastWriteTextServed());

    EXPECT_EQ(fetchClipboard("UTF8_STRING"), QByteArray("result"));
    EXPECT_TRUE(pasteboard.lastWriteTextServed());

    // The next write starts afresh.
    pasteboard.setPlainText("another");
    EXPECT_FALSE(pasteboard.lastWriteTextServed());
}
