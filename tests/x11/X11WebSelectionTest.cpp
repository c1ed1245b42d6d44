#include <gtest/gtest.h>

#include "platform/x11/AtspiAccessibility.h"
#include "support/QtPrinters.h"
#include "support/WebBrowser.h"
#include "support/XSession.h"
#include "x11/X11TestSupport.h"

// A selection in a real browser's page, read over AT-SPI, is the text a copy of the same
// selection gives. The page selects each case itself when its key is pressed.
namespace {

const char kPage[] = R"(<!doctype html><meta charset="utf-8"><title>Cases</title>
<body style="font: 16px sans-serif">
<p id="p1">First paragraph with a <a href="#x">link here</a> and <b>bold text</b> inside.</p>
<p id="p2">Second paragraph is plain.</p>
<p id="p3">Third paragraph ends the run.</p>
<div id="d1">Sibling div one</div><div id="d2">Sibling div two</div><div id="d3">Sibling div three</div>
<ul id="list"><li>Apple</li><li>Banana</li><li>Cherry</li></ul>
<p>After the list.</p>
<script>
const text = id => document.getElementById(id).firstChild;
const item = i => document.getElementById("list").children[i].firstChild;
const cases = {
  1: ["paragraph", r => r.selectNodeContents(document.getElementById("p2"))],
  2: ["link", r => r.selectNodeContents(document.getElementById("p1"))],
  3: ["across", r => { r.setStart(text("p1"), 6); r.setEnd(text("p3"), 5); }],
  4: ["divs", r => { r.setStart(text("d1"), 8); r.setEnd(text("d3"), 11); }],
  5: ["list", r => { r.setStart(item(0), 2); r.setEnd(item(2), 3); }],
};
document.addEventListener("keydown", event => {
  const chosen = cases[event.key];
  if (!chosen || event.ctrlKey) return;
  const range = document.createRange();
  chosen[1](range);
  getSelection().removeAllRanges();
  getSelection().addRange(range);
  document.title = "Cases " + chosen[0];
});
</script>)";

struct SelectionCase {
    const char* key;
    const char* title;
};
const SelectionCase kCases[] = {
    {"1", "paragraph"}, {"2", "link"}, {"3", "across"}, {"4", "divs"}, {"5", "list"}};

}  // namespace

class X11WebSelection : public ::testing::TestWithParam<WebBrowser::Kind> {};

TEST_P(X11WebSelection, ReadsTheSelectionAsACopyGivesIt) {
    if (WebBrowser::program(GetParam()).isEmpty()) {
        GTEST_SKIP() << WebBrowser::name(GetParam()) << " is not installed";
    }
    AtspiAccessibility accessibility;
    ASSERT_TRUE(accessibility.isAvailable());
    WebBrowser browser(x11Session(), GetParam());
    const QString window = browser.open("cases.html", "Cases", kPage);
    ASSERT_FALSE(window.isEmpty());
    const qint64 pid = x11Session().xdotool({"getwindowpid", window}).trimmed().toLongLong();
    x11Session().activate(window);
    // A click below the text puts the keyboard into the page's document.
    const QRect frame = x11Session().windowGeometry(window);
    x11Session().xdotool({"mousemove", QString::number(frame.center().x()),
                          QString::number(frame.bottom() - 30), "click", "1"});

    const auto selectedText = [&] {
        const auto application = accessibility.applicationElement(pid);
        const auto focused = accessibility.focusedElement(application);
        return accessibility.selectedText(focused).value_or(QString());
    };
    for (const SelectionCase& selection : kCases) {
        SCOPED_TRACE(selection.title);
        ASSERT_TRUE(pressUntilTitle(x11Session(), selection.key,
                                    QString("^Cases %1").arg(selection.title)));
        x11Session().setClipboardText("before the copy");
        x11Session().key("ctrl+c");
        QString copied;
        ASSERT_TRUE(XSession::waitUntil(
            [&] { return (copied = x11Session().clipboardText()) != "before the copy"; }, 10000));
        copied = copied.trimmed();
        ASSERT_FALSE(copied.isEmpty());
        // The browser passes the selection to its accessibility tree a moment later.
        QString read;
        XSession::waitUntil([&] { return (read = selectedText()).trimmed() == copied; }, 10000);
        EXPECT_EQ(read.trimmed(), copied);
    }
}

INSTANTIATE_TEST_SUITE_P(Browsers, X11WebSelection,
                         ::testing::Values(WebBrowser::Kind::Firefox, WebBrowser::Kind::Chromium),
                         [](const auto& info) {
                             return std::string(WebBrowser::name(info.param));
                         });
