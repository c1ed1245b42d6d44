#include <gtest/gtest.h>

#include <QFileInfo>

#include "platform/x11/AtspiAccessibility.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11KeyEvents.h"
#include "platform/x11/X11Pasteboard.h"
#include "support/XSession.h"
#include "x11/X11TestSupport.h"

namespace {
QString windowOfClass(const QString& windowClass) {
    QString id;
    XSession::waitUntil(
        [&] {
            id = x11Session()
                     .xdotool({"search", "--onlyvisible", "--class", windowClass})
                     .split('\n', Qt::SkipEmptyParts)
                     .value(0);
            return !id.isEmpty();
        },
        15000);
    return id;
}
}  // namespace

// What we write is what a real editor pastes, fetched through our own event loop, and the
// write knows it was served.
class PasteIntoEditor : public ::testing::TestWithParam<const char*> {};

TEST_P(PasteIntoEditor, AnEditorPastesOurTextAndWeNoticeIt) {
    auto connection = std::make_shared<X11Connection>();
    X11KeyEvents keys(connection);
    X11Pasteboard pasteboard;
    const QString program = GetParam();
    x11Session().start(program, program == "mousepad"
                                    ? QStringList()
                                    : QStringList{"--dump", x11Session().path("p.txt")});
    const QString window = windowOfClass(QFileInfo(program).fileName());
    ASSERT_FALSE(window.isEmpty());
    x11Session().activate(window);
    pause(500);
    x11Session().type("typed");
    x11Session().key("ctrl+a");

    pasteboard.clear();
    pasteboard.setPlainText("pasted by us");
    ASSERT_TRUE(keys.postKey(KeyCode::V, KeyModifier::Control, true));
    pause(20);
    ASSERT_TRUE(keys.postKey(KeyCode::V, KeyModifier::Control, false));
    EXPECT_TRUE(XSession::waitUntil([&] { return pasteboard.lastWriteTextServed(); }, 20000));

    // What the editor holds, through its accessibility interface.
    AtspiAccessibility accessibility;
    const qint64 pid = x11Session().xdotool({"getwindowpid", window}).trimmed().toLongLong();
    QString value;
    EXPECT_TRUE(XSession::waitUntil(
        [&] {
            const auto app = accessibility.applicationElement(pid);
            value = accessibility.value(accessibility.focusedElement(app)).value_or(QString());
            return value == "pasted by us";
        },
        20000))
        << value.toStdString();
}

INSTANTIATE_TEST_SUITE_P(GtkAndQt, PasteIntoEditor,
                         ::testing::Values("mousepad", NIVELO_TEST_EDITOR), [](const auto& info) {
                             return std::string(info.index == 0 ? "Gtk" : "Qt");
                         });
