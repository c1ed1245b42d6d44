#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

class QAction;
class QWidget;

// The application's "Show Quick Menu" command: its key works in whichever of our windows is
// active, whether the settings window is shown or not. Every top-level window of ours carries
// it as a window shortcut from its first show; the settings window carries it in its menu.
class QuickMenuCommand : public QObject {
    Q_OBJECT
public:
    // Command (Super) + Shift + Space.
    static QKeySequence keySequence();
    // The name of the command's action in each window.
    static inline const QString kActionName = QStringLiteral("showQuickMenu");

    explicit QuickMenuCommand(std::function<void()> run, QObject* parent = nullptr);
    ~QuickMenuCommand() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void attach(QWidget* window);

    std::function<void()> run_;
    QList<QPointer<QAction>> actions_;
};
