#include "app/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <utility>

#include "app/QuickMenuCommand.h"
#include "platform/Screens.h"
#include "theme/Placement.h"

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("NiveloAI"));
    // No "New" command: there is only ever one main window.
    QMenu* menu = menuBar()->addMenu(QStringLiteral("NiveloAI"));
    QAction* showQuickMenu = menu->addAction(QStringLiteral("Show Quick Menu"));
    showQuickMenu->setObjectName(QuickMenuCommand::kActionName);
    showQuickMenu->setShortcut(QuickMenuCommand::keySequence());
    // While another window of ours is active, that window's own action takes the key.
    showQuickMenu->setShortcutContext(Qt::WindowShortcut);
    connect(showQuickMenu, &QAction::triggered, this, &MainWindow::showQuickMenuRequested);

    auto* content = new QWidget(this);
    content->setAutoFillBackground(true);
    content->setBackgroundRole(QPalette::Window);
    setContent(content);
    resize(minimumSize());
}

void MainWindow::setContent(QWidget* content) {
    content->setMinimumSize(kMinimumWidth, kMinimumHeight);
    setCentralWidget(content);
    // The window's minimum is the layout's: the content's and the menu bar's, known before a
    // first show places the window.
    layout()->activate();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    if (event->isAccepted()) {
        Q_EMIT closed();
    }
}

void MainWindow::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    lastFrame_ = frameGeometry();
    frameMargins_ = marginsAround(geometry(), lastFrame_);
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    const QRect frame = frameGeometry();
    if (!unframedOn_ || frame == geometry()) {
        return;
    }
    // Framed now: where the window manager put the first show partly off the visible area (a
    // screen smaller than the window), it is placed again.
    const Screens& screens = *std::exchange(unframedOn_, nullptr);
    if (!Placement::visibleFrameHolding(screens, frame).contains(frame)) {
        placeFrame(screens, frame, marginsAround(geometry(), frame));
    }
}

QMargins MainWindow::marginsAround(const QRect& client, const QRect& frame) {
    return {client.left() - frame.left(), client.top() - frame.top(),
            frame.right() - client.right(), frame.bottom() - client.bottom()};
}

void MainWindow::fitToScreen(const Screens& screens) {
    if (isVisible()) {
        return;
    }
    // The whole minimum first: a cut for a smaller screen before is not kept.
    centralWidget()->setMinimumSize(kMinimumWidth, kMinimumHeight);
    layout()->activate();
    if (!lastFrame_.isValid()) {
        const QRect visible = Placement::visibleFrameHolding(screens, QRect());
        if (!visible.isEmpty()) {
            resize(size().boundedTo(visible.size()).expandedTo(minimumSize()));
        }
        // Its frame is known only once the window manager has framed it.
        unframedOn_ = &screens;
        return;
    }
    placeFrame(screens, lastFrame_, frameMargins_);
}

void MainWindow::placeFrame(const Screens& screens, const QRect& frame, const QMargins& margins) {
    const QRect visible = Placement::visibleFrameHolding(screens, frame);
    const QRect fitted = Placement::within(frame, minimumSize().grownBy(margins), visible);
    const QSize client = fitted.size().shrunkBy(margins);
    // A screen smaller than the minimum: the content gives way, so all of it stays reachable.
    const QSize lacking = (minimumSize() - client).expandedTo({0, 0});
    if (lacking.width() > 0 || lacking.height() > 0) {
        centralWidget()->setMinimumSize(QSize(kMinimumWidth, kMinimumHeight) - lacking);
        layout()->activate();
    }
    // An explicit place, so that the window manager does not choose a new one.
    resize(client);
    move(fitted.topLeft());
}
