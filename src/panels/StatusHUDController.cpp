#include "panels/StatusHUDController.h"

#include <QApplication>
#include <QVBoxLayout>

#include "core/NiveloSettings.h"
#include "panels/StatusHUD.h"
#include "state/NiveloAppState.h"
#include "theme/FloatingSurface.h"
#include "theme/Placement.h"
#include "theme/SharedPartNames.h"
#include "theme/SystemSurfaceMode.h"

StatusHUDController::StatusHUDController(Dependencies dependencies, QObject* parent)
    : QObject(parent), deps_(dependencies) {}

StatusHUDController::~StatusHUDController() = default;

void StatusHUDController::attach(NiveloAppState* appState) {
    appState_ = appState;
    if (!appState) {
        subscription_.reset();
        return;
    }
    QPointer<StatusHUDController> self(this);
    subscription_ = subscribe(appState, &NiveloAppState::statusChanged, &NiveloAppState::status,
                              [self](const ActionStatus& status) {
                                  if (self) {
                                      self->apply(status);
                                  }
                              });
}

void StatusHUDController::apply(const ActionStatus& status) {
    if (!status.isIdle()) {
        show(status);
    } else if (panel_) {
        panel_->hide();
    }
}

void StatusHUDController::show(const ActionStatus& status) {
    if (!panel_) {
        panel_ = std::make_unique<PanelWindow>(PanelWindow::Kind::status, deps_.environment);
        panel_->setWindowTitle(QStringLiteral("NiveloAI Status"));
        panel_->setAccessibleName(QStringLiteral("Status"));
        panel_->setSurfaceMargin(StatusHUD::kMargin);
        view_ = new StatusHUD(panel_->surface());
        auto* layout = new QVBoxLayout(panel_->surface());
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(view_);
    }
    const NiveloSettings settings = appState_ ? appState_->settings() : NiveloSettings{};
    const SurfaceMode surfaceMode =
        appState_ ? appState_->systemSurfaceMode() : systemResolvedSurfaceMode(deps_.appearance);
    const FloatingSurfaceRecipe recipe =
        floatingSurfaceRecipe(settings.appearanceMode, surfaceMode, StatusHUD::kCornerRadius,
                              NiveloTheme::environmentScheme());
    panel_->setSurfaceRecipe(recipe);
    view_->setStatus(status, recipe.scheme);
    const QString name =
        tr2(settings.uiLanguage, QStringLiteral("Status"), QStringLiteral("Состояние"));
    panel_->setAccessibleName(name);
    view_->setAccessibleName(name);
    nameSharedParts(panel_.get(), settings.uiLanguage);

    // As tall as the content, at least the minimum; sized before it is centred.
    panel_->surface()->layout()->activate();
    const int height = std::max(StatusHUD::kMinimumWindowHeight,
                                view_->sizeHint().height() + 2 * StatusHUD::kMargin);
    const QSize size(view_->windowWidth(), height);
    panel_->setFixedSize(size);
    // The report never covers what it reports on: a shown panel of ours (the preview's texts).
    QList<QRect> shown;
    for (const QWidget* window : QApplication::topLevelWidgets()) {
        if (window != panel_.get() && window->isVisible() &&
            qobject_cast<const PanelWindow*>(window)) {
            shown << window->frameGeometry();
        }
    }
    panel_->move(Placement::statusHud(deps_.screens, size, shown));
    panel_->show();
    panel_->raise();
}
