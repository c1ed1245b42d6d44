#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <optional>

class Clock;
class Defaults;
class QWidget;

// Keeps the app a tray agent: while the user keeps it in the tray, closing the main window
// hides it, the last window closing does not end the process, and the dock presence follows
// whether a main window is on screen. It is also the close handler of every main window.
class NiveloAppDelegate : public QObject {
    Q_OBJECT
public:
    NiveloAppDelegate(Defaults& defaults, Clock& clock, QObject* parent = nullptr);
    ~NiveloAppDelegate() override;

    // Application callbacks, called by the application object.
    void applicationDidFinishLaunching();
    // Marks termination; the answer is always "terminate now".
    bool applicationShouldTerminate();
    bool applicationShouldTerminateAfterLastWindowClosed();
    bool applicationShouldHandleReopen(bool hasVisibleWindows);
    void applicationWillTerminate();

    // Close handler of the main windows this delegate looks after.
    bool windowShouldClose(QWidget* window);

    bool isTerminating() const { return isTerminating_; }
    // Both "nivelo.closeToMenuBar" and "nivelo.menuBarIconVisible" (an absent key is true),
    // and a tray to show the icon in: without one nobody could reach or quit the app.
    bool shouldStayInMenuBar() const;
    // Whether the desktop has a tray, asked at each close; the desktop's own answer unless
    // replaced (for the whole process).
    static void setTrayProbe(std::function<bool()> probe);
    static bool hasVisibleMainWindow();
    // The parts of the window styling that mean something here: the title.
    static void configureWindow(QWidget* window);

    bool isDelegateOf(const QWidget* window) const;
    // Styles a window and, for a main window, becomes its close handler. Done for every
    // window that becomes active, and by the app for each main window it opens, since a
    // window manager may leave a new window inactive.
    void adoptWindow(QWidget* window);
    bool hasDockPolicyTimer() const { return dockPolicyTimer_.has_value(); }
    bool isObservingWindows() const { return windowCloseObserver_ || windowKeyObserver_; }

    // The rule, once: regular while a main window is on screen, accessory otherwise.
    void applyDockPolicy();
    void moveToMenuBarIfNeeded();

private:
    void configureMainWindows();
    void scheduleDockPolicyTick();
    bool handleClose(QWidget* window, class QEvent* event);

    Defaults& defaults_;
    Clock& clock_;
    std::unique_ptr<QObject> windowCloseObserver_;
    std::unique_ptr<QObject> windowKeyObserver_;
    std::optional<quint64> dockPolicyTimer_;
    bool isTerminating_ = false;
    QList<QPointer<QWidget>> delegateWindows_;
};
