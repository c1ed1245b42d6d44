#include "app/QuickMenuCommand.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QWidget>

#include "app/WindowKinds.h"

QKeySequence QuickMenuCommand::keySequence() {
    return QKeySequence(Qt::META | Qt::SHIFT | Qt::Key_Space);
}

QuickMenuCommand::QuickMenuCommand(std::function<void()> run, QObject* parent)
    : QObject(parent), run_(std::move(run)) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        attach(window);
    }
    qApp->installEventFilter(this);
}

QuickMenuCommand::~QuickMenuCommand() {
    for (const QPointer<QAction>& action : actions_) {
        delete action.data();
    }
}

bool QuickMenuCommand::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->isWindow()) {
            attach(widget);
        }
    }
    return QObject::eventFilter(watched, event);
}

void QuickMenuCommand::attach(QWidget* window) {
    // Menus and tooltips take no commands; a window with the command in its menu has it.
    if (window->windowType() == Qt::Popup || window->windowType() == Qt::ToolTip ||
        WindowKinds::isTrayIconWindow(window) || window->findChild<QAction*>(kActionName)) {
        return;
    }
    actions_.removeAll(nullptr);
    auto* action = new QAction(QStringLiteral("Show Quick Menu"), window);
    action->setObjectName(kActionName);
    action->setShortcut(keySequence());
    // One window is active at a time, so the windows' actions never compete for the key.
    action->setShortcutContext(Qt::WindowShortcut);
    window->addAction(action);
    connect(action, &QAction::triggered, this, [this] { run_(); });
    actions_.append(action);
}
