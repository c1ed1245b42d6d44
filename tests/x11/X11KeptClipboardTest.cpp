#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

#include "capture/PasteboardServiceError.h"
#include "support/TaskProbe.h"
#include "support/XSession.h"
#include "x11/X11TestSupport.h"

namespace {
using Values = QList<std::pair<QByteArray, QByteArray>>;

QByteArray noise(qsizetype size, quint32 seed) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator(seed).fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    return bytes;
}

// A text as GTK offers it: every text target a full copy, the MIME ones with CR LF.
Values gtkText(qsizetype size) {
    QByteArray lines;
    while (lines.size() < size) {
        lines += "Line " + QByteArray::number(lines.size()) + " of a long document\n";
    }
    QByteArray crlf = lines;
    crlf.replace("\n", "\r\n");
    return {{"UTF8_STRING", lines}, {"COMPOUND_TEXT", lines},           {"TEXT", lines},
            {"STRING", lines},      {"text/plain;charset=utf-8", crlf}, {"text/plain", lines}};
}

// An image as a GTK viewer offers it: one full conversion per type.
Values gtkImage() {
    return {{"image/png", noise(9 << 20, 1)},
            {"image/bmp", noise(24 << 20, 2)},
            {"image/tiff", noise(24 << 20, 3)},
            {"image/jpeg", noise(3 << 20, 4)},
            {"image/x-icon", noise(4 << 20, 5)}};
}

Values smallText() {
    return {{"UTF8_STRING", "slow owner's text"}, {"text/plain", "slow owner's text"}};
}

// Writes `bytes` to a file of the session's; its path.
QString fileWith(const QByteArray& bytes) {
    static int files = 0;
    const QString path = x11Session().path(QStringLiteral("kept-%1").arg(++files));
    QFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() ? path : QString();
}

// A program of the test's own takes the clipboard with `values` (ServingOwner); null when it
// did not.
QProcess* serve(RealCapture& capture, const Values& values, int lateMs = 0, int answers = -1) {
    static int owners = 0;
    const QString title = QStringLiteral("Owner %1").arg(++owners);
    QStringList args{"--title",       title,
                     "--answer-late", QString::number(lateMs),
                     "--answers",     QString::number(answers)};
    for (const auto& [type, bytes] : values) {
        args << "--serve" << QString::fromLatin1(type) + "=" + fileWith(bytes);
    }
    QProcess* process = x11Session().start(NIVELO_TEST_EDITOR, args);
    const bool owns = XSession::waitUntil(
        [&] {
            return capture.clipboard.ownerProcessIdentifier() ==
                   std::optional<qint64>(process->processId());
        },
        20000);
    return owns && !x11Session().waitForWindow(title).isEmpty() ? process : nullptr;
}

// Puts the keyboard into `window` once the capture remembers its application, as a hot key's
// read finds it.
bool focusFor(RealCapture& capture, const QString& window) {
    const qint64 pid = x11Session().xdotool({"getwindowpid", window}).trimmed().toLongLong();
    x11Session().activate(window);
    return XSession::waitUntil(
        [&] { return capture.focus.rememberedProcessIdentifier() == std::optional<qint64>(pid); },
        20000);
}

// Whether the clipboard serves every value byte for byte; the types that it does not.
QStringList notGivenBack(const Values& values) {
    QStringList missing;
    for (const auto& [type, bytes] : values) {
        if (x11Session().clipboardData(QString::fromLatin1(type)) != bytes) {
            missing << QString::fromLatin1(type);
        }
    }
    return missing;
}
}  // namespace

// The user's clipboard belongs to a program of the test's own that serves it as a busy one
// does. A Fix's read of a selection elsewhere gives every representation back byte for byte, or,
// when the owner stops answering, fails before its Copy and leaves the clipboard to its owner.
TEST(X11KeptClipboard, AReadGivesTheClipboardBackWholeOrLeavesItAlone) {
    struct Owner {
        const char* name;
        Values values;
        int lateMs = 0;
        int answers = -1;
    };
    const Owner owners[] = {
        {"12 MB GTK text", gtkText(12 << 20)},          {"6 MP image in five types", gtkImage()},
        {"answers 800 ms late", smallText(), 800},      {"answers 1.2 s late", smallText(), 1200},
        {"stops answering mid-way", smallText(), 0, 2},
    };
    RealCapture capture;
    const QString target =
        startTestEditor(x11Session().path("kept.txt"), "Kept target", 1, {"--text", "Hello world"});
    ASSERT_FALSE(target.isEmpty());
    QStringList failed;
    for (const Owner& owner : owners) {
        SCOPED_TRACE(owner.name);
        QProcess* process = serve(capture, owner.values, owner.lateMs, owner.answers);
        ASSERT_TRUE(process);
        ASSERT_TRUE(focusFor(capture, target));
        x11Session().key("ctrl+a");

        auto read = startTask(
            capture.service.readSelectedTextTransient(false, true, PasteboardTiming::standard()));
        XSession::waitUntil([&] { return read->done; }, 120000);
        if (owner.answers >= 0) {
            // Nothing was taken from it: it still owns the clipboard, and no Copy went out.
            const bool owns = capture.clipboard.ownerProcessIdentifier() ==
                              std::optional<qint64>(process->processId());
            if (read->errorDescription() != PasteboardServiceError::describe(
                                                PasteboardServiceErrorKind::pasteboardNotKept) ||
                !owns) {
                failed << QStringLiteral("%1 (%2)").arg(owner.name, read->errorDescription());
            }
        } else if (!read->value || read->value->text != "Hello world") {
            failed << QStringLiteral("%1 (read: %2)").arg(owner.name, read->errorDescription());
        } else if (const QStringList missing = notGivenBack(owner.values); !missing.isEmpty()) {
            failed << QStringLiteral("%1 (not given back: %2)").arg(owner.name, missing.join(' '));
        }
        process->kill();
        process->waitForFinished(5000);
    }
    x11Session().xdotool({"windowkill", target});
    EXPECT_TRUE(failed.isEmpty()) << failed.join(", ").toStdString();
}

// A long document selected whole (3.1 million characters) beside a 16 MB clipboard of the
// user's: the copy is read whole, and the clipboard comes back.
TEST(X11KeptClipboard, ALongDocumentIsReadWholeBesideALargeClipboard) {
    RealCapture capture;
    QByteArray document;
    while (document.size() < 3100000) {
        document += "Paragraph " + QByteArray::number(document.size()) + " of a long document.\n";
    }
    const QString window = startTestEditor(x11Session().path("long.txt"), "Long document", 1,
                                           {"--text-file", fileWith(document)});
    ASSERT_FALSE(window.isEmpty());
    const Values clipboard = gtkText(16 << 20);
    QProcess* owner = serve(capture, clipboard);
    ASSERT_TRUE(owner);
    ASSERT_TRUE(focusFor(capture, window));

    auto read = startTask(
        capture.service.readSelectedTextTransient(true, true, PasteboardTiming::standard()));
    XSession::waitUntil([&] { return read->done; }, 120000);
    ASSERT_TRUE(read->value) << read->errorDescription().toStdString();
    EXPECT_EQ(read->value->text.size(), QString::fromUtf8(document).size());
    EXPECT_TRUE(read->value->text == QString::fromUtf8(document));
    EXPECT_EQ(notGivenBack(clipboard).join(" ").toStdString(), "");
    owner->kill();
    x11Session().xdotool({"windowkill", window});
}

// The history records a copy whose owner answers each request late, within 2 s.
TEST(X11KeptClipboard, TheHistoryRecordsACopyOfASlowOwner) {
    RealCapture capture;
    capture.history.start();
    const Values slow{{"UTF8_STRING", "answered late"}, {"text/plain", "answered late"}};
    QProcess* owner = serve(capture, slow, 1800);
    ASSERT_TRUE(owner);
    EXPECT_TRUE(XSession::waitUntil(
        [&] {
            return !capture.history.items().isEmpty() &&
                   capture.history.items().first().text == "answered late";
        },
        30000));
    owner->kill();
}
