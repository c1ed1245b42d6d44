#pragma once

#include <QMainWindow>

class QAction;

// The main window: the settings window's host, with the window manager's normal frame. Its
// content paints an opaque backdrop, since without a compositor a translucent window shows
// black.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kMinimumWidth = 760;
    static constexpr int kMinimumHeight = 500;

    explicit MainWindow(QWidget* parent = nullptr);

    QAction* showQuickMenuAction() const { return showQuickMenu_; }

Q_SIGNALS:
    void showQuickMenuRequested();
    // The window went away for good (its close was not refused).
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QAction* showQuickMenu_ = nullptr;
};
