#include "platform/Platform.h"

#include <cassert>

#include "platform/ActiveWindowWatch.h"
#include "platform/Clock.h"
#include "platform/Defaults.h"
#include "platform/HttpTransport.h"
#include "platform/LanguageRecognizer.h"
#include "platform/Screens.h"
#include "platform/WindowActivation.h"
#include "platform/WindowManagerHints.h"

// Hot keys, keyboard layouts, event monitors.
#include "platform/EventMonitors.h"
#include "platform/HotKeyRegistry.h"
#include "platform/InputSources.h"

// Text capture
#include "platform/Accessibility.h"
#include "platform/KeyEvents.h"
#include "platform/Pasteboard.h"
#include "platform/SaveReport.h"
#include "platform/Workspace.h"

// Appearance, tools, permissions.
#include "platform/PermissionProbe.h"
#include "platform/ProcessRunner.h"
#include "platform/SystemAppearance.h"

namespace {
Platform* g_current = nullptr;
}

Platform::Platform() = default;
Platform::~Platform() = default;
Platform::Platform(Platform&&) noexcept = default;
Platform& Platform::operator=(Platform&&) noexcept = default;

Platform& Platform::current() {
    assert(g_current && "Platform::setCurrent was not called");
    return *g_current;
}

void Platform::setCurrent(Platform* platform) {
    g_current = platform;
}
