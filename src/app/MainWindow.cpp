#include "app/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>

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
    showQuickMenu_ = menu->addAction(QStringLiteral("Show Quick Menu"));
    showQuickMenu_->setShortcut(QKeySequence(Qt::META | Qt::SHIFT | Qt::Key_Space));
    showQuickMenu_->setShortcutContext(Qt::ApplicationShortcut);
    connect(showQuickMenu_, &QAction::triggered, this, &MainWindow::showQuickMenuRequested);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    if (event->isAccepted()) {
        Q_EMIT closed();
    }
}
