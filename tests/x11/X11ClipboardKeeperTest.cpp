#include <gtest/gtest.h>

#include <sys/wait.h>
#include <QClipboard>
#include <QGuiApplication>
#include <cerrno>

#include "platform/x11/X11ClipboardKeeper.h"
#include "platform/x11/X11KeeperMessage.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11SelectionOwner.h"
#include "support/XSession.h"
#include "x11/X11TestSupport.h"

namespace {

std::unique_ptr<X11ClipboardKeeper> niveloKeeper() {
    return std::make_unique<X11ClipboardKeeper>(NIVELO_BINARY, "nivelo");
}

quint32 clipboardOwner() {
    return X11SelectionOwner::ownerWindow(X11SelectionOwner::qtConnection(), "CLIPBOARD");
}

// Whether the keeper ended within the time (reaped by us or, through a child handler of the
// toolkit, by somebody else).
bool ends(pid_t pid, int waitMs = 10000) {
    return XSession::waitUntil(
        [&] {
            const pid_t reaped = ::waitpid(pid, nullptr, WNOHANG);
            return reaped == pid || (reaped < 0 && errno == ECHILD);
        },
        waitMs);
}

QByteArray headerOf(const QByteArray& frame) {
    return frame.left(X11KeeperMessage::kHeaderSize);
}

}  // namespace

// Frames read back as they were written; a header that is not ours is refused.
TEST(X11KeeperMessage, FramesReadBackAndStrangersAreRefused) {
    X11KeeperMessage keep;
    keep.kind = X11KeeperMessage::Kind::Keep;
    keep.ownerWindow = 0x2a00007;
    keep.values = {{"image/png", QByteArray("\x89PNG\r\n\x1a\n\0\1", 10)},
                   {"text/plain", QByteArray("Счёт\n")}};
    X11KeeperMessage drop;
    drop.kind = X11KeeperMessage::Kind::Drop;
    for (const X11KeeperMessage& message : {keep, drop}) {
        const QByteArray frame = message.frame();
        char header[X11KeeperMessage::kHeaderSize];
        std::copy_n(frame.constData(), X11KeeperMessage::kHeaderSize, header);
        const auto read = X11KeeperMessage::readHeader(header);
        ASSERT_TRUE(read);
        EXPECT_EQ(read->length, quint32(frame.size() - X11KeeperMessage::kHeaderSize));
        const auto back = X11KeeperMessage::read(*read, frame.mid(X11KeeperMessage::kHeaderSize));
        ASSERT_TRUE(back);
        EXPECT_EQ(back->kind, message.kind);
        EXPECT_EQ(back->ownerWindow, message.ownerWindow);
        EXPECT_EQ(back->values, message.values);
    }

    const struct {
        QByteArray header;
    } strangers[] = {
        {QByteArray("X\0\0\0\0", 5)}, {QByteArray("D\0\0\0\1", 5)}, {QByteArray("K\x7f\0\0\0", 5)}};
    for (const auto& stranger : strangers) {
        char header[X11KeeperMessage::kHeaderSize];
        std::copy_n(stranger.header.constData(), X11KeeperMessage::kHeaderSize, header);
        EXPECT_FALSE(X11KeeperMessage::readHeader(header)) << stranger.header.toHex().constData();
    }
    const QByteArray frame = keep.frame();
    char header[X11KeeperMessage::kHeaderSize];
    std::copy_n(frame.constData(), X11KeeperMessage::kHeaderSize, header);
    const auto read = X11KeeperMessage::readHeader(header);
    EXPECT_FALSE(
        X11KeeperMessage::read(*read, frame.mid(X11KeeperMessage::kHeaderSize).chopped(1)));
    EXPECT_EQ(headerOf(drop.frame()), QByteArray("D\0\0\0\0", 5));
}

// A copy in one of our own text fields is ours too: when we end, the keeper waits for our
// owner window to let go and then serves that copy.
TEST(X11ClipboardKeeper, ServesWhatWeOwnedOnceWeLetGo) {
    auto pasteboard = std::make_unique<X11Pasteboard>();
    pasteboard->keepWith(niveloKeeper());
    QGuiApplication::clipboard()->setText("copied in a field");
    pause(300);
    ASSERT_TRUE(QGuiApplication::clipboard()->ownsClipboard());
    const quint32 ours = clipboardOwner();

    // Our end closes while our window still owns the clipboard: the keeper must not give up.
    pasteboard.reset();
    pause(500);
    EXPECT_EQ(clipboardOwner(), ours);
    QGuiApplication::clipboard()->clear();
    EXPECT_TRUE(XSession::waitUntil(
        [] { return x11Session().clipboardText() == "copied in a field"; }, 10000));
    EXPECT_NE(clipboardOwner(), ours);

    x11Session().setClipboardText("copied later");
    EXPECT_EQ(x11Session().clipboardText(), "copied later");
}

// A clipboard another client owns is never taken, whatever the keeper holds: neither at our
// end nor when a take-over at exit comes too late.
TEST(X11ClipboardKeeper, NeverTakesAClipboardAnotherClientOwns) {
    for (const bool takeNow : {false, true}) {
        SCOPED_TRACE(takeNow ? "take now" : "end of file");
        auto keeper = niveloKeeper();
        keeper->keep({{"text/plain", "older"}}, 0x1234567);
        const pid_t pid = keeper->processId();
        ASSERT_NE(pid, 0);
        x11Session().setClipboardText("newer");
        ASSERT_EQ(x11Session().clipboardText(), "newer");

        if (takeNow) {
            keeper->takeOverNow({{"text/plain", "older"}}, 0x1234567, 3000);
        }
        keeper.reset();
        EXPECT_TRUE(ends(pid));
        EXPECT_EQ(x11Session().clipboardText(), "newer");
    }
}

// A clean exit hands our clipboard to the keeper at once: the content is never missing in
// between, and a later copy by somebody else ends the keeper.
TEST(X11ClipboardKeeper, TakesOverAtACleanExit) {
    X11Pasteboard pasteboard;
    auto owned = niveloKeeper();
    X11ClipboardKeeper* keeper = owned.get();
    pasteboard.keepWith(std::move(owned));
    pasteboard.clear();
    pasteboard.setPlainText("given back");
    XSession::waitUntil([&] { return keeper->processId() != 0; });
    const pid_t pid = keeper->processId();
    ASSERT_NE(pid, 0);

    pasteboard.handOverAtExit();
    EXPECT_FALSE(pasteboard.ownsClipboard());
    EXPECT_EQ(x11Session().clipboardText(), "given back");
    x11Session().setClipboardText("copied later");
    EXPECT_TRUE(ends(pid));
}
