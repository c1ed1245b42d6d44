#include "panels/FloatingButtonController.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "core/NiveloSettings.h"
#include "panels/QuickPanelController.h"
#include "platform/Screens.h"
#include "state/NiveloAppState.h"
#include "theme/FloatingSurface.h"
#include "theme/NiveloTheme.h"
#include "theme/Placement.h"
#include "theme/SharedPartNames.h"
#include "theme/ThemeIcons.h"

namespace {
constexpr int kFace = 42;
constexpr int kSymbolPixelSize = 20;
}  // namespace

FloatingButtonView::FloatingButtonView(QWidget* parent) : QAbstractButton(parent) {
    setAccessibleName(QStringLiteral("Quick Menu"));
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(kFace, kFace);
}

void FloatingButtonView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPixmap bolt = ThemeIcons::pixmap(
        QStringLiteral("bolt.fill"),
        NiveloTheme::color(NiveloTheme::Role::yellow, NiveloTheme::environmentScheme()),
        kSymbolPixelSize, devicePixelRatioF());
    painter.drawPixmap((kFace - kSymbolPixelSize) / 2, (kFace - kSymbolPixelSize) / 2, bolt);
}

bool FloatingButtonView::hitButton(const QPoint& pos) const {
    const QPointF d = QPointF(pos) - QRectF(rect()).center();
    return d.x() * d.x() + d.y() * d.y() <= (kFace / 2.0) * (kFace / 2.0);
}

void FloatingButtonView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressGlobal_ = event->globalPosition().toPoint();
        windowAtPress_ = window()->pos();
        dragging_ = false;
    }
    QAbstractButton::mousePressEvent(event);
}

void FloatingButtonView::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) {
        const QPoint travel = event->globalPosition().toPoint() - pressGlobal_;
        if (!dragging_ && travel.manhattanLength() > QApplication::startDragDistance()) {
            dragging_ = true;
            setDown(false);
        }
        if (dragging_) {
            window()->move(windowAtPress_ + travel);
            event->accept();
            return;
        }
    }
    QAbstractButton::mouseMoveEvent(event);
}

void FloatingButtonView::mouseReleaseEvent(QMouseEvent* event) {
    if (dragging_ && event->button() == Qt::LeftButton) {
        // A move, not a click.
        dragging_ = false;
        setDown(false);
        event->accept();
        return;
    }
    QAbstractButton::mouseReleaseEvent(event);
}

FloatingButtonController::FloatingButtonController(Screens* screens,
                                                   PanelWindow::Environment environment,
                                                   QObject* parent)
    : QObject(parent), screens_(screens), environment_(environment) {}

FloatingButtonController::~FloatingButtonController() = default;

void FloatingButtonController::setReferences(NiveloAppState* appState,
                                             QuickPanelController* quickPanel) {
    if (appState != appState_) {
        disconnect(settingsWatch_);
        disconnect(surfaceWatch_);
        if (appState) {
            // A shown button takes a new appearance at once.
            settingsWatch_ = connect(appState, &NiveloAppState::settingsChanged, this,
                                     &FloatingButtonController::restyle);
            surfaceWatch_ = connect(appState, &NiveloAppState::systemSurfaceModeChanged, this,
                                    &FloatingButtonController::restyle);
        }
    }
    appState_ = appState;
    quickPanel_ = quickPanel;
}

void FloatingButtonController::restyle() {
    if (!panel_ || !appState_) {
        return;
    }
    panel_->setSurfaceRecipe(floatingSurfaceRecipe(appState_->settings().appearanceMode,
                                                   appState_->systemSurfaceMode(), kFace / 2.0,
                                                   NiveloTheme::environmentScheme()));
    const UiLanguage lang = appState_->settings().uiLanguage;
    nameSharedParts(panel_.get(), lang);
    panel_->setAccessibleName(
        tr2(lang, QStringLiteral("NiveloAI Button"), QStringLiteral("Кнопка NiveloAI")));
    view_->setAccessibleName(
        tr2(lang, QStringLiteral("Quick Menu"), QStringLiteral("Быстрое меню")));
    view_->update();
}

void FloatingButtonController::show(NiveloAppState& appState, QuickPanelController& quickPanel) {
    if (!appState.settings().floatingButtonVisible) {
        hide();
        return;
    }
    setReferences(&appState, &quickPanel);
    const bool wasVisible = panel_ && panel_->isVisible();
    if (!panel_) {
        panel_ = std::make_unique<PanelWindow>(PanelWindow::Kind::nonActivating, environment_);
        panel_->setWindowTitle(QStringLiteral("NiveloAI Button"));
        panel_->setAccessibleName(QStringLiteral("NiveloAI Button"));
        panel_->setSurfaceMargin((kSize - kFace) / 2);
        panel_->setFixedSize(kSize, kSize);
        view_ = new FloatingButtonView(panel_->surface());
        auto* layout = new QVBoxLayout(panel_->surface());
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(view_, 0, Qt::AlignCenter);
        connect(view_, &QAbstractButton::clicked, this, [this] { click(); });
    }
    restyle();
    if (!wasVisible) {
        positionNearMouse();
    }
    panel_->show();
    panel_->raise();
}

void FloatingButtonController::positionNearMouse() {
    if (panel_ && screens_) {
        panel_->move(Placement::nearButton(*screens_, panel_->size()));
    }
}

void FloatingButtonController::click() {
    if (!appState_ || !quickPanel_) {
        return;
    }
    hide();
    quickPanel_->show(*appState_);
}

void FloatingButtonController::show() {
    if (appState_ && quickPanel_) {
        show(*appState_, *quickPanel_);
    }
}

void FloatingButtonController::hide() {
    if (panel_) {
        panel_->hide();
    }
}
