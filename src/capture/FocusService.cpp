#include "capture/FocusService.h"

#include <QMetaObject>
#include <QPointer>

#include "platform/Platform.h"
#include "platform/Workspace.h"

namespace {
bool isActive(const Workspace& workspace, qint64 processIdentifier) {
    const auto frontmost = workspace.frontmostApplication();
    return frontmost && frontmost->processIdentifier == processIdentifier;
}

std::optional<RunningApplication> runningApplication(const Workspace& workspace,
                                                     qint64 processIdentifier) {
    for (const auto& app : workspace.runningApplications()) {
        if (app.processIdentifier == processIdentifier) {
            return app;
        }
    }
    return std::nullopt;
}
}  // namespace

const QStringList& FocusService::niveloBundleIdentifiers() {
    static const QStringList ids{QStringLiteral("ai.nivelo.native"),
                                 QStringLiteral("ai.nivelo.native.test"),
                                 QStringLiteral("ai.nivelo.desktop")};
    return ids;
}

FocusService::FocusService(Workspace& workspace, Accessibility& accessibility, QObject* parent)
    : QObject(parent), workspace_(workspace), accessibility_(accessibility) {
    connect(&workspace_, &Workspace::applicationActivated, this,
            [this](const RunningApplication& application) {
                // Handled on the next event-loop turn, like the rest of the app's main work.
                QMetaObject::invokeMethod(
                    this, [this, application] { remember(application); }, Qt::QueuedConnection);
            });
}

FocusService& FocusService::shared() {
    static auto* instance = [] {
        Platform& platform = Platform::current();
        return new FocusService(*platform.workspace, *platform.accessibility);
    }();
    return *instance;
}

void FocusService::remember(const RunningApplication& application) {
    if (application.bundleIdentifier.isEmpty() ||
        niveloBundleIdentifiers().contains(application.bundleIdentifier)) {
        return;
    }
    // A reply paste bringing its target forward does not replace what the user left.
    if (restoringProcessIdentifier_ == application.processIdentifier) {
        return;
    }
    AXElementPtr window;
    if (const auto element = accessibility_.applicationElement(application.processIdentifier)) {
        window = accessibility_.focusedWindow(element);
    }
    // A busy application's activation may be handled after it already lost the focus again;
    // the window it was last seen in stays the one to go back to.
    const bool sameApplication = rememberedProcessIdentifier_ == application.processIdentifier;
    if (window || !sameApplication) {
        rememberedWindow_ = std::move(window);
    }
    rememberedBundleIdentifier_ = application.bundleIdentifier;
    rememberedProcessIdentifier_ = application.processIdentifier;
}

std::optional<FocusTarget> FocusService::rememberedTarget() const {
    if (!rememberedProcessIdentifier_ || !rememberedBundleIdentifier_) {
        return std::nullopt;
    }
    return FocusTarget{*rememberedProcessIdentifier_, *rememberedBundleIdentifier_};
}

void FocusService::rememberFrontmostApplication() {
    if (const auto frontmost = workspace_.frontmostApplication()) {
        remember(*frontmost);
        return;
    }
    // With no window active the user has not moved on. A window whose process cannot be found
    // is remembered as none: the action must not go to the application the user left.
    if (!workspace_.hasActiveWindow()) {
        return;
    }
    rememberedBundleIdentifier_.reset();
    rememberedProcessIdentifier_.reset();
    rememberedWindow_.reset();
}

bool FocusService::activate(const QString& bundleIdentifier) {
    if (bundleIdentifier.isEmpty()) {
        return false;
    }
    for (const auto& app : workspace_.runningApplications()) {
        if (app.bundleIdentifier == bundleIdentifier) {
            if (isActive(workspace_, app.processIdentifier)) {
                return true;
            }
            return workspace_.activate(app.processIdentifier);
        }
    }
    return false;
}

bool FocusService::activateRememberedApplication() {
    if (rememberedProcessIdentifier_) {
        if (const auto app = runningApplication(workspace_, *rememberedProcessIdentifier_)) {
            if (isActive(workspace_, app->processIdentifier)) {
                return true;
            }
            return workspace_.activate(app->processIdentifier);
        }
    }
    if (rememberedBundleIdentifier_) {
        return activate(*rememberedBundleIdentifier_);
    }
    return false;
}

bool FocusService::activate(const FocusTarget& target) {
    // The process decides, not the identifier: one process may show windows under several
    // identifiers (an office suite's writer and spreadsheet), and another process of the same
    // application is another window.
    const auto app = runningApplication(workspace_, target.processIdentifier);
    if (!app) {
        return false;
    }
    return isActive(workspace_, app->processIdentifier) ||
           workspace_.activate(app->processIdentifier);
}
