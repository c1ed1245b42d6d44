#include "theme/PanelWindow.h"

#include <QApplication>
#include <QBitmap>
#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "platform/ActiveWindowWatch.h"
#include "platform/Platform.h"
#include "platform/WindowActivation.h"
#include "platform/WindowManagerHints.h"
#include "theme/Placement.h"

namespace {

constexpr int kEdgeZone = 6;
// The band along a rounded corner's arc that resizes both ways: a curve is harder to hit.
constexpr int kCornerZone = 8;

Qt::WindowFlags flagsFor(PanelWindow::Kind kind) {
    Qt::WindowFlags flags = Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
    switch (kind) {
        case PanelWindow::Kind::status:
            // A tooltip window is override-redirect: no window manager decides its place.
            return flags | Qt::ToolTip | Qt::WindowTransparentForInput |
                   Qt::WindowDoesNotAcceptFocus;
        case PanelWindow::Kind::nonActivating:
            return flags | Qt::Tool | Qt::WindowDoesNotAcceptFocus;
        case PanelWindow::Kind::typing:
        case PanelWindow::Kind::key:
            return flags | Qt::Tool;
    }
    return flags | Qt::Tool;
}

// The shown panels from the bottom up, as they were raised, shown or pressed last. A panel
// leaves it when it hides or goes.
QList<PanelWindow*>& panelStack() {
    static QList<PanelWindow*> stack;
    return stack;
}

}  // namespace

PanelWindow::Environment PanelWindow::Environment::of(const Platform& platform) {
    return {.activation = platform.windowActivation.get(),
            .hints = platform.windowManagerHints.get(),
            .activeWindow = platform.activeWindowWatch.get()};
}

PanelWindow::PanelWindow(Kind kind, Environment environment, QWidget* parent)
    : QWidget(parent, flagsFor(kind)), kind_(kind), environment_(environment) {
    setAttribute(Qt::WA_ShowWithoutActivating, kind != Kind::key);
    // Panels that know better (the HUD, the quick panel) name themselves after this.
    setAccessibleName(QStringLiteral("NiveloAI panel"));
    if (kind == Kind::status) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    translucent_ = environment_.hints && environment_.hints->isCompositing();
    setAttribute(Qt::WA_TranslucentBackground, translucent_);
    setAttribute(Qt::WA_NoSystemBackground, translucent_);
    setAutoFillBackground(false);
    surface_ = new FloatingSurface(this);
    surface_->setOpaque(!translucent_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(surface_);
}

PanelWindow::~PanelWindow() {
    panelStack().removeAll(this);
}

void PanelWindow::setSurfaceRecipe(const FloatingSurfaceRecipe& recipe) {
    surface_->setRecipe(recipe);
    updateShape();
    update();
}

void PanelWindow::setWantedSize(QSize size) {
    wantedSize_ = size;
    resize(size);
}

void PanelWindow::setPanelMinimumSize(QSize size) {
    panelMinimum_ = size;
    setMinimumSize(size);
}

void PanelWindow::place(const QRect& frame) {
    if (panelMinimum_.isValid()) {
        setMinimumSize(panelMinimum_.boundedTo(frame.size()));
    }
    setGeometry(frame);
}

void PanelWindow::placeNearMouse(const Screens& screens) {
    place(Placement::nearMouseFrame(screens, wantedSize(), panelMinimum_));
}

void PanelWindow::setSurfaceMargin(int pixels) {
    margin_ = pixels;
    layout()->setContentsMargins(pixels, pixels, pixels, pixels);
    updateShape();
}

void PanelWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    updateShape();
    if (QWindow* window = windowHandle(); window && !filterInstalled_) {
        window->installEventFilter(this);
        filterInstalled_ = true;
    }
    // Before the map: the window manager reads the state when it maps the window.
    askForPanelState();
    const bool follows = kind_ != Kind::status && environment_.hints;
    // Followed from before the look at the active window: no change in between is missed.
    if (follows && environment_.activeWindow && !activeWindowFollow_.isActive()) {
        activeWindowFollow_ = environment_.activeWindow->follow([this] { followFullScreen(); });
    }
    // Before a key panel asks for the keyboard: the window the user works in is still active.
    fullScreenWindow_ = follows ? environment_.hints->activeFullScreenWindow() : 0;
    if (kind_ == Kind::key) {
        takeKeyboard();
    }
}

void PanelWindow::setVisible(bool visible) {
    const bool wasVisible = isVisible();
    if (!visible) {
        activeWindowFollow_.reset();
    }
    if (!visible && wasVisible && fullScreenWindow_ != 0) {
        environment_.hints->setFullScreenAuxiliary(winId(), 0);
        fullScreenWindow_ = 0;
    }
    QWidget::setVisible(visible);
    if (!visible || wasVisible) {
        return;
    }
    // After the map request as well: from then on a window manager takes a change only as a
    // request, so state it dropped meanwhile (a quick hide and show) is asked for again.
    if (fullScreenWindow_ != 0) {
        environment_.hints->setFullScreenAuxiliary(winId(), fullScreenWindow_);
    } else {
        askForPanelState();
    }
}

void PanelWindow::followFullScreen() {
    if (!isVisible()) {
        return;
    }
    const quintptr fullScreen = environment_.hints->activeFullScreenWindow();
    if (fullScreen == fullScreenWindow_) {
        return;
    }
    keepPanelStacking();
    // As a show does: joined to the full-screen window, or back on every workspace.
    fullScreenWindow_ = fullScreen;
    environment_.hints->setFullScreenAuxiliary(winId(), fullScreen);
    if (fullScreen == 0) {
        askForPanelState();
    }
}

void PanelWindow::noteOnTop() {
    if (kind_ == Kind::status) {
        return;
    }
    QList<PanelWindow*>& stack = panelStack();
    stack.removeAll(this);
    if (isVisible()) {
        stack.append(this);
    }
}

void PanelWindow::keepPanelStacking() {
    static bool pending = false;
    if (pending) {
        return;
    }
    // Every follower is told in the same turn; once all have changed their hints, the panels
    // are raised again from the bottom up, as they were before.
    pending = true;
    QTimer::singleShot(0, qApp, [] {
        pending = false;
        // Raising reorders the list: raise from a copy, each one still there.
        const QList<PanelWindow*> stack = panelStack();
        for (PanelWindow* panel : stack) {
            if (panelStack().contains(panel) && panel->isVisible()) {
                panel->raise();
            }
        }
    });
}

bool PanelWindow::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::ZOrderChange:
        case QEvent::WindowActivate:
        case QEvent::Show:
        case QEvent::Hide:
            noteOnTop();
            break;
        default:
            break;
    }
    return QWidget::event(event);
}

bool PanelWindow::isSeen() const {
    return isVisible() && !(environment_.hints && environment_.hints->isCovered(winId()));
}

void PanelWindow::askForPanelState() {
    if (kind_ != Kind::status && environment_.hints) {
        environment_.hints->setPanelState(winId());
    }
}

void PanelWindow::takeKeyboard() {
    activateWindow();
    if (environment_.activation) {
        environment_.activation->activate(winId());
    }
}

void PanelWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    hide();
    Q_EMIT closeRequested();
}

void PanelWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The layout has not placed the surface yet.
    surface_->setGeometry(rect().adjusted(margin_, margin_, -margin_, -margin_));
    updateShape();
    if (userResizing_) {
        wantedSize_ = size();
        Q_EMIT userResized(size());
    }
}

void PanelWindow::updateShape() {
    if (translucent_) {
        clearMask();
        return;
    }
    // Opaque: only the rounded surface is part of the window, so no corner shows black.
    // Drawn without antialiasing, so the mask has the same corners on every side.
    if (size().isEmpty()) {
        return;
    }
    QBitmap shape(size());
    shape.fill(Qt::color0);
    QPainter painter(&shape);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::color1);
    const double radius = surface_->recipe().cornerRadius;
    painter.drawRoundedRect(rect().adjusted(margin_, margin_, -margin_, -margin_), radius, radius);
    painter.end();
    setMask(shape);
}

void PanelWindow::paintEvent(QPaintEvent*) {
    if (!translucent_) {
        return;
    }
    QPainter painter(this);
    paintFloatingShadow(painter, QRectF(surface_->geometry()), surface_->recipe());
}

void PanelWindow::mousePressEvent(QMouseEvent* event) {
    // Presses reach the window itself only when no control under the pointer took them.
    backgroundDragging_ = false;
    if (!movableByBackground_ || !backgroundTravel_.press(*event)) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
}

void PanelWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!backgroundDragging_ && backgroundTravel_.startsDrag(*event)) {
        backgroundDragging_ = true;
        backgroundGrabOffset_ = backgroundTravel_.grabOffset(*this);
    }
    if (!backgroundDragging_) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    event->accept();
    move(event->globalPosition().toPoint() - backgroundGrabOffset_);
}

void PanelWindow::mouseReleaseEvent(QMouseEvent* event) {
    backgroundTravel_.reset();
    backgroundDragging_ = false;
    QWidget::mouseReleaseEvent(event);
}

Qt::Edges PanelWindow::edgesAt(QPoint pos) const {
    Qt::Edges edges;
    const QRect area = rect().adjusted(margin_, margin_, -margin_, -margin_);
    if (!resizable_ || !area.adjusted(-1, -1, 1, 1).contains(pos)) {
        return edges;
    }
    // A corner is the band along its arc. Without a compositor the window is shaped to the
    // rounded surface and the pointer beyond the arc is over the window below, so the band
    // lies inside the arc; a see-through window takes what lies beyond it too.
    const double radius = surface_->recipe().cornerRadius;
    const int side = std::max(int(std::ceil(radius)), kEdgeZone);
    const bool left = pos.x() < area.left() + side;
    const bool right = !left && pos.x() > area.right() - side;
    const bool top = pos.y() < area.top() + side;
    const bool bottom = !top && pos.y() > area.bottom() - side;
    if ((left || right) && (top || bottom)) {
        const QPointF centre(left ? area.left() + radius : area.right() + 1 - radius,
                             top ? area.top() + radius : area.bottom() + 1 - radius);
        const QPointF fromCentre = QPointF(pos) + QPointF(0.5, 0.5) - centre;
        if (std::hypot(fromCentre.x(), fromCentre.y()) >= radius - kCornerZone) {
            return (left ? Qt::LeftEdge : Qt::RightEdge) | (top ? Qt::TopEdge : Qt::BottomEdge);
        }
    }
    if (pos.x() < area.left() + kEdgeZone) {
        edges |= Qt::LeftEdge;
    }
    if (pos.x() > area.right() - kEdgeZone) {
        edges |= Qt::RightEdge;
    }
    if (pos.y() < area.top() + kEdgeZone) {
        edges |= Qt::TopEdge;
    }
    if (pos.y() > area.bottom() - kEdgeZone) {
        edges |= Qt::BottomEdge;
    }
    return edges;
}

bool PanelWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != windowHandle()) {
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() == QEvent::MouseButtonPress) {
        // The window manager raises a window it sees pressed.
        noteOnTop();
    }
    if (event->type() == QEvent::MouseButtonPress && kind_ == Kind::typing && !isActiveWindow()) {
        // The window manager gives a press no focus in a panel; ask for it.
        activateWindow();
        if (environment_.activation) {
            environment_.activation->activate(winId());
        }
    }
    return handleResizeInput(event);
}

bool PanelWindow::handleResizeInput(QEvent* event) {
    if (!resizable_) {
        return false;
    }
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            const Qt::Edges edges = edgesAt(mouse->position().toPoint());
            userResizing_ = false;
            manualEdges_ = {};
            pressedEdges_ = edges;
            if (!edges || !edgeTravel_.press(*mouse)) {
                return false;
            }
            manualStartGeometry_ = geometry();
            return true;
        }
        case QEvent::MouseMove: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (edgeTravel_.startsDrag(*mouse)) {
                userResizing_ = true;
                manualEdges_ = pressedEdges_;
                manualPressGlobal_ = edgeTravel_.pressGlobal();
                manualStartGeometry_.moveTopLeft(edgeTravel_.pressedWindowOrigin());
            }
            if (edgeTravel_.isPressed()) {
                return true;
            }
            if (manualEdges_ && !(mouse->buttons() & Qt::LeftButton)) {
                // Released where we did not see it.
                manualEdges_ = {};
                userResizing_ = false;
            }
            if (manualEdges_) {
                const QPoint d = mouse->globalPosition().toPoint() - manualPressGlobal_;
                QRect g = manualStartGeometry_;
                if (manualEdges_ & Qt::LeftEdge) {
                    g.setLeft(std::min(g.left() + d.x(), g.right() - minimumWidth()));
                }
                if (manualEdges_ & Qt::RightEdge) {
                    g.setRight(g.right() + d.x());
                }
                if (manualEdges_ & Qt::TopEdge) {
                    g.setTop(std::min(g.top() + d.y(), g.bottom() - minimumHeight()));
                }
                if (manualEdges_ & Qt::BottomEdge) {
                    g.setBottom(g.bottom() + d.y());
                }
                setGeometry(g);
                return true;
            }
            const Qt::Edges edges = edgesAt(mouse->position().toPoint());
            const bool horizontal = edges & (Qt::LeftEdge | Qt::RightEdge);
            const bool vertical = edges & (Qt::TopEdge | Qt::BottomEdge);
            if (horizontal && vertical) {
                const bool main = edges == (Qt::LeftEdge | Qt::TopEdge) ||
                                  edges == (Qt::RightEdge | Qt::BottomEdge);
                windowHandle()->setCursor(main ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor);
            } else if (horizontal) {
                windowHandle()->setCursor(Qt::SizeHorCursor);
            } else if (vertical) {
                windowHandle()->setCursor(Qt::SizeVerCursor);
            } else {
                windowHandle()->unsetCursor();
            }
            return false;
        }
        case QEvent::MouseButtonRelease:
            if (edgeTravel_.isPressed()) {
                edgeTravel_.reset();
                return true;
            }
            if (manualEdges_) {
                manualEdges_ = {};
                userResizing_ = false;
                return true;
            }
            userResizing_ = false;
            return false;
        case QEvent::Hide:
            edgeTravel_.reset();
            manualEdges_ = {};
            userResizing_ = false;
            return false;
        default:
            return false;
    }
}
