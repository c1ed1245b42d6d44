#include "panels/MenuBarController.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QPalette>
#include <QPixmap>
#include <QScreen>
#include <QSystemTrayIcon>

#include "capture/PanelHandles.h"
#include "core/NiveloSettings.h"
#include "panels/NiveloMenuBarIcon.h"
#include "panels/QuickPanelController.h"
#include "state/NiveloAppState.h"

namespace {

// After the icon paints, the panel is looked at again for about five seconds: a tray still
// placing the icon or drawing its own background shows the wrong colour at first.
constexpr int kPanelRetries = 20;

bool isTrayWindow(const QObject* object) {
    return object->isWidgetType() && (object->objectName() == QLatin1String("QSystemTrayIconSys") ||
                                      object->inherits("QSystemTrayIconSys"));
}

}  // namespace

MenuBarController::MenuBarController(QObject* parent)
    : QObject(parent), menu_(std::make_unique<QMenu>()) {
    menu_->setTitle(QStringLiteral("NiveloAI"));
    menu_->setAccessibleName(QStringLiteral("NiveloAI"));
    panelRetry_.setSingleShot(true);
    panelRetry_.setInterval(250);
    connect(&panelRetry_, &QTimer::timeout, this, [this] {
        if (trayIcon_) {
            followPanel();
        }
    });
    connect(menu_.get(), &QMenu::aboutToHide, this, [this] {
        if (refillWhenClosed_) {
            // Still inside the closing menu's own event: refill on the next turn.
            QMetaObject::invokeMethod(
                this, [this] { fillMenu(); }, Qt::QueuedConnection);
        }
    });
    qApp->installEventFilter(this);
}

MenuBarController::~MenuBarController() {
    trayIcon_.reset();
    menu_.reset();
}

bool MenuBarController::eventFilter(QObject* watched, QEvent* event) {
    // Trays here do not tint icons: the glyph takes the colour that stands out on the panel.
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange && trayIcon_) {
        trayIcon_->setIcon(NiveloMenuBarIcon::makeIcon(glyphColor()));
    } else if (event->type() == QEvent::Paint && trayIcon_ && isTrayWindow(watched)) {
        // Before the icon paints: the panel shows around it, drawn by the tray or the server.
        panelRetriesLeft_ = kPanelRetries;
        followPanel();
    }
    return QObject::eventFilter(watched, event);
}

QColor MenuBarController::glyphColor() const {
    return panelGlyph_.isValid() ? panelGlyph_
                                 : QApplication::palette().color(QPalette::WindowText);
}

void MenuBarController::followPanel() {
    const QRect where = trayIcon_->geometry();
    QScreen* screen = where.isEmpty() ? nullptr : QGuiApplication::screenAt(where.center());
    // A tray that grows to hold the icon first paints it where it does not stay, partly off
    // the screen; only a whole square shows the panel.
    if (!screen || !screen->geometry().contains(where)) {
        retryPanel();
        return;
    }
    const QRect local = where.translated(-screen->geometry().topLeft());
    const QImage shot =
        screen->grabWindow(0, local.x(), local.y(), local.width(), local.height()).toImage();
    const std::optional<QColor> panel = NiveloMenuBarIcon::panelColor(shot);
    if (!panel) {
        retryPanel();
        return;
    }
    const QColor glyph = NiveloMenuBarIcon::glyphColorOn(*panel);
    if (glyph != panelGlyph_) {
        panelGlyph_ = glyph;
        nameTrayWindows();
        trayIcon_->setIcon(NiveloMenuBarIcon::makeIcon(glyph));
    }
    // The tray may draw its panel after the icon's first paint; keep looking for a while.
    retryPanel();
}

void MenuBarController::retryPanel() {
    if (panelRetriesLeft_ > 0) {
        --panelRetriesLeft_;
        panelRetry_.start();
    }
}

void MenuBarController::attach(NiveloAppState* appState, Targets targets) {
    appState_ = appState;
    targets_ = std::move(targets);
    if (!appState) {
        subscription_.reset();
        refresh(false);
        return;
    }
    QPointer<MenuBarController> self(this);
    subscription_ = appState->subscribeSettings([self](const NiveloSettings& settings) {
        if (self) {
            self->refresh(settings.menuBarIconVisible);
        }
    });
}

void MenuBarController::refresh(bool visible) {
    if (!visible) {
        trayIcon_.reset();
        menu_->clear();
        return;
    }
    if (!trayIcon_) {
        trayIcon_ = std::make_unique<QSystemTrayIcon>();
        trayIcon_->setIcon(NiveloMenuBarIcon::makeIcon(glyphColor()));
        trayIcon_->setToolTip(QStringLiteral("NiveloAI"));
        trayIcon_->setContextMenu(menu_.get());
        // A left click opens the menu too.
        connect(trayIcon_.get(), &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger) {
                        menu_->popup(QCursor::pos());
                    }
                });
        trayIcon_->show();
        nameTrayWindows();
    }
    fillMenu();
}

void MenuBarController::nameTrayWindows() {
    // An embedded icon's window would otherwise carry the application's name, like the main
    // window, and window tools could not tell them apart.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->inherits("QSystemTrayIconSys") ||
            widget->objectName() == QLatin1String("QSystemTrayIconSys")) {
            widget->setWindowTitle(QStringLiteral("NiveloAI Tray Icon"));
        }
    }
}

void MenuBarController::fillMenu() {
    if (menu_->isVisible()) {
        refillWhenClosed_ = true;
        return;
    }
    refillWhenClosed_ = false;
    menu_->clear();
    if (!trayIcon_) {
        return;
    }
    QPointer<MenuBarController> self(this);
    addItem(QStringLiteral("Open NiveloAI"), [self] {
        if (self && self->targets_.showMainWindow) {
            self->targets_.showMainWindow();
        }
    });
    // The click on the tray may just have dismissed the panel: this shows it again.
    addItem(QStringLiteral("Quick Menu"), [self] {
        if (self && self->appState_ && self->targets_.quickPanel) {
            self->targets_.quickPanel->toggle(*self->appState_);
        }
    });
    addItem(QStringLiteral("Clipboard History"), [self] {
        if (self && self->targets_.clipboardPanel) {
            self->targets_.clipboardPanel->toggle();
        }
    });
    addItem(QStringLiteral("Translation Preview"), [self] {
        if (self && self->appState_ && self->targets_.translationPreview) {
            self->targets_.translationPreview->showFromSelection();
        }
    });
    menu_->addSeparator();
    addItem(QStringLiteral("Permissions"), [self] {
        if (self) {
            self->openPage(SettingsPage::permissions);
        }
    });
    addItem(QStringLiteral("Refresh Permissions"), [self] {
        if (self && self->appState_) {
            self->appState_->refreshPermissions();
        }
    });
    menu_->addSeparator();
    std::function<void()> quit = targets_.quit;
    addItem(QStringLiteral("Quit NiveloAI"), [quit] {
        if (quit) {
            quit();
        }
    });
}

void MenuBarController::addItem(const QString& title, std::function<void()> action) {
    QAction* item = menu_->addAction(title);
    item->setEnabled(true);
    connect(item, &QAction::triggered, item, [action = std::move(action)] { action(); });
}

void MenuBarController::openPage(SettingsPage page) {
    if (appState_) {
        appState_->setSelectedSettingsPage(page);
    }
    if (targets_.showMainWindow) {
        targets_.showMainWindow();
    }
}
