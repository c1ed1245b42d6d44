#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "platform/x11/X11Connection.h"
#include "platform/x11/X11HotKeyRegistry.h"
#include "platform/x11/X11KeyEvents.h"

#include "platform/x11/Xlib.h"

namespace {
constexpr quint16 kKey1 = 18;
constexpr HotKeyId kFix{fourCharCode("NVLH"), 1};

// The user presses Alt+1 on another connection; when this returns the server has sent the
// events to the grabbing client.
void pressAltOne(Display* user) {
    const XKeyCode alt = XKeysymToKeycode(user, XK_Alt_L);
    const XKeyCode one = XKeysymToKeycode(user, XK_1);
    XTestFakeKeyEvent(user, alt, True, CurrentTime);
    XTestFakeKeyEvent(user, one, True, CurrentTime);
    XTestFakeKeyEvent(user, one, False, CurrentTime);
    XTestFakeKeyEvent(user, alt, False, CurrentTime);
    XSync(user, False);
}
}  // namespace

// A read or a paste polls the modifier state while it waits; each poll is a round trip in
// which Xlib takes in the events already sent, among them a hot-key press. The press is
// handled at once, not at the next unrelated X traffic.
TEST(EventDrain, AHotKeyPressedDuringAModifierWaitIsHandledWithin100Ms) {
    auto connection = std::make_shared<X11Connection>();
    X11HotKeyRegistry registry(connection);
    X11KeyEvents keys(connection);
    X11Connection user;
    QElapsedTimer clock;
    clock.start();
    qint64 handledAt = -1;
    QEventLoop loop;
    ASSERT_EQ(registry.installHandler([&](HotKeyId) {
        handledAt = clock.elapsed();
        loop.quit();
    }),
              0);
    ASSERT_EQ(registry.registerHotKey(kFix, kKey1, HotKeyModifier::Option), 0);

    QTimer modifierWait;
    modifierWait.callOnTimeout([&] { keys.heldModifiers(); });
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    QStringList delays;
    int inTime = 0;
    for (int round = 0; round < 20; ++round) {
        handledAt = -1;
        pressAltOne(user.display());
        const qint64 pressedAt = clock.elapsed();
        // The wait's first poll comes before the event loop looks at the socket again.
        keys.heldModifiers();
        modifierWait.start(35);
        limit.start(1000);
        loop.exec();
        limit.stop();
        modifierWait.stop();
        const qint64 delay = handledAt < 0 ? -1 : handledAt - pressedAt;
        inTime += delay >= 0 && delay < 100 ? 1 : 0;
        delays.append(QString::number(delay));
    }
    EXPECT_EQ(inTime, 20) << "delays in ms (-1: not within 1 s): "
                          << delays.join(' ').toStdString();
}
