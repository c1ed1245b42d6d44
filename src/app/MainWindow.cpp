#include "app/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>

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
