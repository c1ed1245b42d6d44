#include "app/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>

#include "platform/Screens.h"
#include "theme/Placement.h"

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("NiveloAI"));
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    resize(kMinimumWidth, kMinimumHeight);

    auto* content = new QWidget(this);
    content->setAutoFillBackground(true);
    content->setBackgroundRole(QPalette::Window);
    setCentralWidget(content);

    // No "New" command: there is only ever one main window.
    QMenu* menu = menuBar()->addMenu(QStringLiteral("NiveloAI"));
    QAction* showQuickMenu = menu->addAction(QStringLiteral("Show Quick Menu"));
    showQuickMenu->setObjectName(QStringLiteral("showQuickMenu"));
    showQuickMenu->setShortcut(QKeySequence(Qt::META | Qt::SHIFT | Qt::Key_Space));
    showQuickMenu->setShortcutContext(Qt::ApplicationShortcut);
    connect(showQuickMenu, &QAction::triggered, this, &MainWindow::showQuickMenuRequested);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    if (event->isAccepted()) {
        Q_EMIT closed();
    }
}

void MainWindow::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    lastFrame_ = frame;
    frameMargins_ = QMargins(client.left() - frame.left(), client.top() - frame.top(),
                             frame.right() - client.right(), frame.bottom() - client.bottom());
}

void MainWindow::fitToScreen(const Screens& screens) {
    if (isVisible()) {
        return;
    }
    if (!lastFrame_.isValid()) {
        const QRect visible = Placement::visibleFrameHolding(screens, QRect());
        if (!visible.isEmpty()) {
            resize(size().boundedTo(visible.size()).expandedTo(minimumSize()));
        }
        return;
    }
    const QRect visible = Placement::visibleFrameHolding(screens, lastFrame_);
    const QRect fitted =
        Placement::within(lastFrame_, minimumSize().grownBy(frameMargins_), visible);
    // An explicit place, so that the window manager does not choose a new one.
    resize(fitted.size().shrunkBy(frameMargins_));
    move(fitted.topLeft());
}
