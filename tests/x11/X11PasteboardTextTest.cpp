#include <gtest/gtest.h>

#include <QProcess>

#include "platform/x11/X11Pasteboard.h"
#include "support/XSession.h"
#include "x11/X11TestSupport.h"

namespace {
// Puts `bytes` on the clipboard as the only text target, owned by xclip.
void offerOnly(const QString& target, const QByteArray& bytes) {
    QProcess xclip;
    xclip.setProcessEnvironment(x11Session().environment());
    xclip.start("xclip", {"-selection", "clipboard", "-i", "-t", target});
    xclip.write(bytes);
    xclip.closeWriteChannel();
    xclip.waitForFinished(5000);
}

bool waitForText(const X11Pasteboard& pasteboard, const QString& text) {
    return XSession::waitUntil([&] { return pasteboard.plainText() == text; }, 5000);
}
}  // namespace

// A GTK3 editor offers its copy as UTF8_STRING with LF and as text/plain;charset=utf-8 with
// CR LF: we read what its own paste reads, LF.
TEST(X11PasteboardText, ReadsAGtkCopyWithItsOwnLineEnds) {
    X11Pasteboard pasteboard;
    x11Session().start("mousepad", {});
    const QString window = x11Session().waitForWindow("Mousepad", 15000);
    ASSERT_FALSE(window.isEmpty());
    x11Session().activate(window);
    XSession::waitUntil([] { return false; }, 500);
    x11Session().type("line one");
    x11Session().key("Return");
    x11Session().type("line two");
    x11Session().key("ctrl+a");
    x11Session().key("ctrl+c");
    ASSERT_TRUE(XSession::waitUntil(
        [] { return fetchClipboard("text/plain;charset=utf-8") == "line one\r\nline two"; }, 5000));

    EXPECT_TRUE(waitForText(pasteboard, "line one\nline two"))
        << pasteboard.plainText().value_or("(none)").toStdString();
}

// Owners that serve one text target: the MIME type's CR LF reads as LF; UTF8_STRING is taken
// exactly, whatever its line ends.
TEST(X11PasteboardText, ReadsEachTextTargetAsAPasteWould) {
    struct Case {
        const char* target;
        QByteArray served;
        QString read;
    };
    const Case cases[] = {
        {"text/plain;charset=utf-8", "one\r\ntwo\r\n", "one\ntwo\n"},
        {"UTF8_STRING", "one\r\ntwo", "one\r\ntwo"},
        {"UTF8_STRING", "one\ntwo", "one\ntwo"},
    };
    X11Pasteboard pasteboard;
    for (const Case& c : cases) {
        offerOnly(c.target, c.served);
        EXPECT_TRUE(waitForText(pasteboard, c.read))
            << c.target << ": " << pasteboard.plainText().value_or("(none)").toStdString();
    }
}

// Our own text keeps its line ends, read by us and served to others.
TEST(X11PasteboardText, OurTextKeepsItsLineEnds) {
    X11Pasteboard pasteboard;
    const QString text = "a\nb\r\nc\n";
    pasteboard.clear();
    pasteboard.setPlainText(text);
    EXPECT_EQ(pasteboard.plainText(), text);
    EXPECT_EQ(fetchClipboard("UTF8_STRING"), text.toUtf8());
    EXPECT_EQ(fetchClipboard("text/plain"), text.toUtf8());
}
