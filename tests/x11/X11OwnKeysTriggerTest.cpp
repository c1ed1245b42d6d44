#include <gtest/gtest.h>

#include <QTimer>

#include "capture/CaptureAppState.h"
#include "capture/PanelHandles.h"
#include "capture/SelectionCapture.h"
#include "capture/SelectionTriggerService.h"
#include "core/NiveloSettings.h"
#include "platform/x11/X11EventMonitors.h"
#include "support/XSession.h"
#include "x11/X11TestSupport.h"

namespace {
// Real key events, with every Copy counted: one Copy is one read of the selection here.
class CountingKeyEvents : public KeyEvents {
public:
    explicit CountingKeyEvents(KeyEvents& keys) : keys_(keys) {}
    bool canPostEvents() const override { return keys_.canPostEvents(); }
    bool postKey(quint16 keyCode, KeyModifiers modifiers, bool down) override {
        copies += keyCode == KeyCode::C && down ? 1 : 0;
        return keys_.postKey(keyCode, modifiers, down);
    }
    KeyModifiers heldModifiers() const override { return keys_.heldModifiers(); }
    int copies = 0;

private:
    KeyEvents& keys_;
};

// The floating-button mode, nothing else.
class ButtonModeState : public CaptureAppState {
public:
    ButtonModeState() { settings_.floatingButtonVisible = true; }
    const NiveloSettings& settings() const override { return settings_; }
    QList<PromptStyle> promptStyles() const override { return {}; }
    QList<AIReplyStyle> aiReplyStyles() const override { return {}; }
    Subscription subscribeSettings(std::function<void(const NiveloSettings&)>) override {
        return {};
    }
    void run(const QuickAction&, bool, bool) override {}
    void setStatus(const ActionStatus&) override {}

private:
    NiveloSettings settings_;
};

class Panels : public QuickPanelHandle, public FloatingButtonHandle {
public:
    void show() override { ++shows; }
    void toggle() override {}
    bool isPanelVisible() const override { return false; }
    void hide() override {}
    int shows = 0;
};
}  // namespace

// The raw events of our own Copy reach the global key monitor like the user's keys: one key
// release of the user still leads to exactly one read.
TEST(X11OwnKeysTrigger, OneKeyReleaseOfTheUserLeadsToOneRead) {
    X11KeyEvents x11Keys(std::make_shared<X11Connection>());
    CountingKeyEvents keys(x11Keys);
    RealCapture real(&keys);
    X11EventMonitors monitors(real.connection);
    FocusedSelectionCapture capture(real.focus, real.service);
    SelectionTriggerService trigger({real.clock, monitors, real.workspace, capture});
    ButtonModeState state;
    Panels panels;

    const QString dump = x11Session().path("own-keys.txt");
    // Off the accessibility bus: every check reads by a simulated Copy.
    QProcessEnvironment apart;
    apart.insert("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    x11Session().start(NIVELO_TEST_EDITOR, {"--dump", dump, "--title", "Trigger Editor"}, apart);
    const QString window = x11Session().waitForWindow("Trigger Editor");
    ASSERT_FALSE(window.isEmpty());
    x11Session().activate(window);
    pause(300);
    x11Session().type("Hello world");
    x11Session().key("shift+Home");
    ASSERT_TRUE(XSession::waitUntil([&] { return readTextFile(dump) == "Hello world"; }));

    // Events that Xlib queued while it waited for a reply are let in at once.
    QTimer drain;
    QObject::connect(&drain, &QTimer::timeout, [&] { real.connection->dispatchPending(); });
    drain.start(10);

    trigger.start(&state, &panels, &panels);
    pause(300);
    x11Session().key("shift");
    pause(4000);
    EXPECT_EQ(keys.copies, 1);
    EXPECT_EQ(panels.shows, 1);
}
