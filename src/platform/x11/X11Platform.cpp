#include "platform/x11/X11Platform.h"

#include <QCoreApplication>

#include "platform/Platform.h"
#include "platform/QtScreens.h"
#include "platform/x11/AtspiAccessibility.h"
#include "platform/x11/X11ActiveWindowFrame.h"
#include "platform/x11/X11ActiveWindowWatch.h"
#include "platform/x11/X11ClipboardKeeper.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11EventMonitors.h"
#include "platform/x11/X11HotKeyRegistry.h"
#include "platform/x11/X11InputSources.h"
#include "platform/x11/X11KeyEvents.h"
#include "platform/x11/X11KeyMap.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11PermissionProbe.h"
#include "platform/x11/X11WindowActivation.h"
#include "platform/x11/X11WindowManagerHints.h"
#include "platform/x11/X11Workspace.h"

std::shared_ptr<X11Connection> addX11Services(Platform& platform) {
    // One private connection for grabs, raw events and EWMH; the services share it.
    auto connection = std::make_shared<X11Connection>();
    platform.permissionProbe = std::make_unique<X11PermissionProbe>();
    platform.windowActivation = std::make_unique<X11WindowActivation>();
    platform.windowManagerHints = std::make_unique<X11WindowManagerHints>();
    platform.activeWindowWatch = std::make_unique<X11ActiveWindowWatch>();
    // The main screen is where the user works: the screen of the active window.
    platform.screens =
        std::make_unique<QtScreens>([connection] { return x11ActiveWindowFrame(*connection); });

    platform.hotKeys = std::make_unique<X11HotKeyRegistry>(connection);
    platform.inputSources = std::make_unique<X11InputSources>(connection);
    platform.eventMonitors = std::make_unique<X11EventMonitors>(connection);
    platform.keyMap = std::shared_ptr<KeyMap>(connection, &connection->keyMap());

    auto pasteboard = std::make_unique<X11Pasteboard>(connection);
    pasteboard->followFetches(connection);
    // Our own binary as it runs now, even when the file was replaced by an update meanwhile.
    pasteboard->keepWith(std::make_unique<X11ClipboardKeeper>(
        QStringLiteral("/proc/self/exe"), QCoreApplication::applicationFilePath()));
    platform.pasteboard = std::move(pasteboard);
    platform.keyEvents = std::make_unique<X11KeyEvents>(connection, platform.pasteboard.get());
    auto workspace = std::make_unique<X11Workspace>(connection);
    auto accessibility = std::make_unique<AtspiAccessibility>();
    accessibility->raiseWindow = [raiser = workspace.get()](qint64 pid, const QRect& extents) {
        return raiser->activateWindowAt(pid, extents);
    };
    platform.workspace = std::move(workspace);
    platform.accessibility = std::move(accessibility);
    return connection;
}
