#include "platform/x11/X11Platform.h"

#include <QDir>

#include "platform/AppPaths.h"
#include "platform/IniDefaults.h"
#include "platform/RealClock.h"
#include "platform/x11/AtspiAccessibility.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11EventMonitors.h"
#include "platform/x11/X11HotKeyRegistry.h"
#include "platform/x11/X11InputSources.h"
#include "platform/x11/X11KeyEvents.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11Workspace.h"

Platform makeX11Platform() {
    auto connection = std::make_shared<X11Connection>();
    Platform platform;
    platform.clock = std::make_unique<RealClock>();
    platform.defaults = std::make_unique<IniDefaults>(IniDefaults::standardPath());
    platform.clipboardHistoryDefaults = std::make_unique<IniDefaults>(
        QDir(AppPaths::dataDir()).filePath(QStringLiteral("clipboard-history.ini")));

    platform.hotKeys = std::make_unique<X11HotKeyRegistry>(connection);
    platform.inputSources = std::make_unique<X11InputSources>(connection);
    platform.eventMonitors = std::make_unique<X11EventMonitors>(connection);

    platform.pasteboard = std::make_unique<X11Pasteboard>();
    platform.keyEvents = std::make_unique<X11KeyEvents>(connection);
    platform.workspace = std::make_unique<X11Workspace>(connection);
    platform.accessibility = std::make_unique<AtspiAccessibility>();
    return platform;
}
