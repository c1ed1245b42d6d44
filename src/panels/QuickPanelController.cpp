#include "panels/QuickPanelController.h"

#include <QVBoxLayout>
#include <algorithm>

#include "core/NiveloSettings.h"
#include "panels/QuickActionPanel.h"
#include "platform/Defaults.h"
#include "platform/Screens.h"
#include "state/NiveloAppState.h"
#include "theme/FloatingPanelDismissMonitor.h"

namespace {

struct SizeRule {
    int width;
    int perAction;
    int base;
};

SizeRule sizeRule(MenuScale scale) {
    switch (scale) {
        case MenuScale::tiny:
            return {300, 44, 96};
        case MenuScale::small:
            return {320, 48, 110};
        case MenuScale::medium:
            return {340, 54, 124};
        case MenuScale::large:
            return {370, 60, 140};
        case MenuScale::xlarge:
            return {410, 66, 156};
    }
    return {300, 44, 96};
}

constexpr int kHeightCap = 620;

}  // namespace

QuickPanelController::QuickPanelController(NiveloAppState* appState, Dependencies dependencies,
                                           QObject* parent)
    : QObject(parent), appState_(appState), deps_(std::move(dependencies)) {}

QuickPanelController::~QuickPanelController() {
    dismissMonitor_.reset();
    panel_.reset();
}

int QuickPanelController::maximumHeight() const {
    const std::optional<ScreenFrames> main =
        deps_.screens ? deps_.screens->mainScreen() : std::nullopt;
    const int maxHeight = main ? std::max(main->visibleFrame.height() - 160, 420) : 740;
    return std::min(maxHeight, kHeightCap);
}

QSize QuickPanelController::preferredPanelSize(const NiveloAppState& appState) const {
    const int n = std::max(int(appState.quickActions().size()), 4);
    const SizeRule rule = sizeRule(appState.settings().quickMenuSize);
    return {rule.width, std::min(rule.perAction * n + rule.base, maximumHeight())};
}

QSize QuickPanelController::savedPanelSize(QSize fallback) const {
    if (!deps_.defaults) {
        return fallback;
    }
    const double width = deps_.defaults->doubleValue(kWidthKey);
    const double height = deps_.defaults->doubleValue(kHeightKey);
    if (width < kMinimumWidth || height < kMinimumHeight) {
        return fallback;
    }
    return {int(std::min(width, double(kMaximumSavedWidth))),
            int(std::min(height, double(maximumHeight())))};
}

void QuickPanelController::savePanelSize(QSize size) {
    if (!deps_.defaults) {
        return;
    }
    // The width is kept as given; it is capped when read back.
    deps_.defaults->setDouble(kWidthKey, std::max(size.width(), kMinimumWidth));
    deps_.defaults->setDouble(kHeightKey,
                              std::min(std::max(size.height(), kMinimumHeight), maximumHeight()));
}

void QuickPanelController::createPanel(NiveloAppState& appState, QSize size) {
    panel_ = std::make_unique<PanelWindow>(PanelWindow::Kind::nonActivating, deps_.environment);
    panel_->setWindowTitle(QStringLiteral("NiveloAI Quick Menu"));
    panel_->setAccessibleName(QStringLiteral("Quick Menu"));
    panel_->setResizable(true);
    panel_->setMovableByBackground(true);
    panel_->setPanelMinimumSize({kMinimumWidth, kMinimumHeight});
    panel_->setWantedSize(size);
    view_ = new QuickActionPanel(appState, *this, panel_->surface());
    auto* layout = new QVBoxLayout(panel_->surface());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    connect(panel_.get(), &PanelWindow::userResized, this,
            [this](QSize resized) { savePanelSize(resized); });
    connect(panel_.get(), &PanelWindow::closeRequested, this, [this] { hide(); });
    if (deps_.monitors) {
        dismissMonitor_ = std::make_unique<FloatingPanelDismissMonitor>(
            panel_.get(), *deps_.monitors, [this] { hide(); });
    }
}

void QuickPanelController::rememberFrontmost() const {
    if (deps_.rememberFrontmost) {
        deps_.rememberFrontmost();
    }
}

void QuickPanelController::show(NiveloAppState& appState) {
    rememberFrontmost();
    const QSize size = savedPanelSize(preferredPanelSize(appState));
    const bool wasVisible = isPanelVisible();
    if (!panel_) {
        createPanel(appState, size);
    }
    if (!wasVisible && deps_.screens) {
        panel_->placeNearMouse(*deps_.screens);
    }
    if (dismissMonitor_) {
        dismissMonitor_->install();
    }
    panel_->show();
    panel_->raise();
}

void QuickPanelController::toggle(NiveloAppState& appState) {
    // A panel shown behind other windows is shown to the user, not hidden.
    if (panel_ && panel_->isSeen()) {
        hide();
    } else {
        show(appState);
    }
}

void QuickPanelController::hide() {
    removeDismissMonitors();
    if (panel_) {
        panel_->hide();
    }
}

void QuickPanelController::removeDismissMonitors() {
    if (dismissMonitor_) {
        dismissMonitor_->remove();
    }
}

bool QuickPanelController::hasDismissMonitors() const {
    return dismissMonitor_ && dismissMonitor_->isInstalled();
}

bool QuickPanelController::isPanelVisible() const {
    return panel_ && panel_->isVisible();
}

QString QuickPanelController::peekSelection() const {
    return deps_.peekSelection ? deps_.peekSelection() : QString();
}

void QuickPanelController::show() {
    if (appState_) {
        show(*appState_);
    }
}

void QuickPanelController::toggle() {
    if (appState_) {
        toggle(*appState_);
    }
}
