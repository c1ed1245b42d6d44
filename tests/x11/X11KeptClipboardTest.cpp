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
    const qint64 targetPid = x11Session().xdotool({"getwindowpid", target}).trimmed().toLongLong();
    QStringList failed;
    int served = 0;
    for (const Owner& owner : owners) {
        SCOPED_TRACE(owner.name);
        QStringList args{"--title",       QStringLiteral("Owner %1").arg(++served),
                         "--answer-late", QString::number(owner.lateMs),
                         "--answers",     QString::number(owner.answers)};
        for (const auto& [type, bytes] : owner.values) {
            const QString file = x11Session().path(QStringLiteral("served-%1").arg(args.size()));
            QFile out(file);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size());
            out.close();
            args << "--serve" << QString::fromLatin1(type) + "=" + file;
        }
        QProcess* process = x11Session().start(NIVELO_TEST_EDITOR, args);
        const auto ownedByIt = [&] {
            return capture.clipboard.ownerProcessIdentifier() ==
                   std::optional<qint64>(process->processId());
        };
        ASSERT_TRUE(XSession::waitUntil(ownedByIt, 20000));
        ASSERT_FALSE(x11Session().waitForWindow(args[1]).isEmpty());
        x11Session().activate(target);
        ASSERT_TRUE(XSession::waitUntil(
            [&] {
                return capture.focus.rememberedProcessIdentifier() ==
                       std::optional<qint64>(targetPid);
            },
            20000));
        x11Session().key("ctrl+a");

        auto read = startTask(
            capture.service.readSelectedTextTransient(false, true, PasteboardTiming::standard()));
        XSession::waitUntil([&] { return read->done; }, 120000);
        if (owner.answers >= 0) {
            // Nothing was taken from it: it still owns the clipboard, and no Copy went out.
            if (read->errorDescription() != PasteboardServiceError::describe(
                                                PasteboardServiceErrorKind::pasteboardNotKept) ||
                !ownedByIt()) {
                failed << QStringLiteral("%1 (%2)").arg(owner.name, read->errorDescription());
            }
        } else if (!read->value || read->value->text != "Hello world") {
            failed << QStringLiteral("%1 (read: %2)").arg(owner.name, read->errorDescription());
        } else {
            for (const auto& [type, bytes] : owner.values) {
                if (x11Session().clipboardData(QString::fromLatin1(type)) != bytes) {
                    failed << QStringLiteral("%1 (%2 not given back)")
                                  .arg(owner.name, QString::fromLatin1(type));
                }
            }
        }
        process->kill();
        process->waitForFinished(5000);
    }
    x11Session().xdotool({"windowkill", target});
    EXPECT_TRUE(failed.isEmpty()) << failed.join(", ").toStdString();
}
