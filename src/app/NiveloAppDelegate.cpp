#include "app/NiveloAppDelegate.h"

#include <QApplication>
#include <QCloseEvent>
#include <QSystemTrayIcon>
#include <QWidget>
#include <functional>

#include "app/DockPresence.h"
#include "app/NiveloWindowPresenter.h"
#include "app/WindowKinds.h"
#include "base/Async.h"
#include "platform/Clock.h"
#include "platform/Defaults.h"

namespace {

constexpr qint64 kDockPolicyIntervalMs = 1000;
// After a close the window manager may still report the window for a moment, so the rule is
// applied again a little later.
constexpr qint64 kDockPolicyRetriesMs[] = {50, 200, 500};

const QString kCloseToMenuBarKey = QStringLiteral("nivelo.closeToMenuBar");
const QString kMenuBarIconVisibleKey = QStringLiteral("nivelo.menuBarIconVisible");

// An application-wide event filter that hands top-level window events to a function.
class WindowEventObserver : public QObject {
public:
    using Handler = std::function<bool(QWidget*, QEvent*)>;
    WindowEventObserver(QEvent::Type type, Handler handler) : type_(type), handler_(handler) {
        qApp->installEventFilter(this);
    }
    ~WindowEventObserver() override {
        if (qApp) {
            qApp->removeEventFilter(this);
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != type_ || !watched->isWidgetType()) {
            return false;
        }
        auto* widget = static_cast<QWidget*>(watched);
        if (!widget->isWindow() || WindowKinds::isPanel(widget)) {
            return false;
        }
        return handler_(widget, event);
    }

private:
    QEvent::Type type_;
    Handler handler_;
};

}  // namespace

NiveloAppDelegate::NiveloAppDelegate(Defaults& defaults, Clock& clock, QObject* parent)
    : QObject(parent), defaults_(defaults), clock_(clock) {}

NiveloAppDelegate::~NiveloAppDelegate() {
    if (dockPolicyTimer_) {
        clock_.cancelCall(*dockPolicyTimer_);
    }
}

namespace {
std::function<bool()>& trayProbe() {
    static std::function<bool()> probe;
    return probe;
}
}  // namespace

void NiveloAppDelegate::setTrayProbe(std::function<bool()> probe) {
    trayProbe() = std::move(probe);
}

bool NiveloAppDelegate::shouldStayInMenuBar() const {
    const auto flag = [this](const QString& key) {
        return defaults_.hasObject(key) ? defaults_.boolValue(key) : true;
    };
    const bool tray = trayProbe() ? trayProbe()() : QSystemTrayIcon::isSystemTrayAvailable();
    return flag(kCloseToMenuBarKey) && flag(kMenuBarIconVisibleKey) && tray;
}

bool NiveloAppDelegate::hasVisibleMainWindow() {
    for (QWidget* window : WindowKinds::mainWindows()) {
        if (WindowKinds::isVisibleMainWindow(window)) {
            return true;
        }
    }
    return false;
}

void NiveloAppDelegate::configureWindow(QWidget* window) {
    if (window) {
        window->setWindowTitle(QStringLiteral("NiveloAI"));
    }
}

bool NiveloAppDelegate::isDelegateOf(const QWidget* window) const {
    for (const QPointer<QWidget>& held : delegateWindows_) {
        if (held == window) {
            return true;
        }
    }
    return false;
}

void NiveloAppDelegate::adoptWindow(QWidget* window) {
    if (!window || WindowKinds::isPanel(window)) {
        return;
    }
    // Dialogs keep their own titles.
    if (!WindowKinds::isMainWindow(window)) {
        return;
    }
    configureWindow(window);
    delegateWindows_.removeAll(nullptr);
    if (!isDelegateOf(window)) {
        delegateWindows_.append(window);
    }
}

void NiveloAppDelegate::applyDockPolicy() {
    if (!shouldStayInMenuBar()) {
        return;
    }
    DockPresence::shared().setPolicy(hasVisibleMainWindow() ? ActivationPolicy::Regular
                                                            : ActivationPolicy::Accessory);
}

void NiveloAppDelegate::configureMainWindows() {
    launchLater(this, [this] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            adoptWindow(window);
        }
    });
}

void NiveloAppDelegate::applicationDidFinishLaunching() {
    configureMainWindows();
    windowCloseObserver_ = std::make_unique<WindowEventObserver>(
        QEvent::Close,
        [this](QWidget* window, QEvent* event) { return handleClose(window, event); });
    windowKeyObserver_ = std::make_unique<WindowEventObserver>(
        QEvent::WindowActivate, [this](QWidget* window, QEvent*) {
            QPointer<QWidget> held(window);
            launchLater(this, [this, held] { adoptWindow(held); });
            return false;
        });
    scheduleDockPolicyTick();
}

void NiveloAppDelegate::scheduleDockPolicyTick() {
    QPointer<NiveloAppDelegate> self(this);
    dockPolicyTimer_ = clock_.callAfter(kDockPolicyIntervalMs, [self] {
        if (!self) {
            return;
        }
        self->dockPolicyTimer_.reset();
        self->scheduleDockPolicyTick();
        self->applyDockPolicy();
    });
}

// The application sees a close before the window does, so the window's own close handler
// (this delegate, for main windows) is asked here first; only a close that goes ahead is
// reported as a window closing.
bool NiveloAppDelegate::handleClose(QWidget* window, QEvent* event) {
    if (isDelegateOf(window) && !windowShouldClose(window)) {
        event->ignore();
        return true;
    }
    QPointer<NiveloAppDelegate> self(this);
    launchLater(this, [self] {
        if (self) {
            self->moveToMenuBarIfNeeded();
        }
    });
    return false;
}

void NiveloAppDelegate::moveToMenuBarIfNeeded() {
    if (!shouldStayInMenuBar()) {
        return;
    }
    applyDockPolicy();
    QPointer<NiveloAppDelegate> self(this);
    for (qint64 delay : kDockPolicyRetriesMs) {
        clock_.callAfter(delay, [self] {
            if (self) {
                self->applyDockPolicy();
            }
        });
    }
}

bool NiveloAppDelegate::windowShouldClose(QWidget* window) {
    if (isTerminating_) {
        return true;
    }
    if (shouldStayInMenuBar() && WindowKinds::isMainWindow(window)) {
        window->hide();
        moveToMenuBarIfNeeded();
        return false;
    }
    return true;
}

bool NiveloAppDelegate::applicationShouldTerminateAfterLastWindowClosed() {
    const bool stay = shouldStayInMenuBar();
    if (stay) {
        moveToMenuBarIfNeeded();
    }
    return !stay;
}

bool NiveloAppDelegate::applicationShouldHandleReopen(bool) {
    NiveloWindowPresenter::showMainWindow();
    return true;
}

bool NiveloAppDelegate::applicationShouldTerminate() {
    isTerminating_ = true;
    return true;
}

void NiveloAppDelegate::applicationWillTerminate() {
    windowCloseObserver_.reset();
    windowKeyObserver_.reset();
    if (dockPolicyTimer_) {
        clock_.cancelCall(*dockPolicyTimer_);
        dockPolicyTimer_.reset();
    }
}
