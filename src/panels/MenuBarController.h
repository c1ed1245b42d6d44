#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>

#include "base/Subscription.h"
#include "core/SettingsPage.h"

class ClipboardPanelHandle;
class NiveloAppState;
class QMenu;
class QSystemTrayIcon;
class QuickPanelController;
class StatusHUDController;
class TranslationPreviewHandle;

// The tray icon and its menu: the way in while no window is open. The icon exists while the
// "menu-bar icon" setting is on; the menu is refilled on every settings change. Texts are
// English whatever the interface language.
class MenuBarController : public QObject {
    Q_OBJECT
public:
    struct Targets {
        QuickPanelController* quickPanel = nullptr;
        StatusHUDController* statusHUD = nullptr;
        ClipboardPanelHandle* clipboardPanel = nullptr;
        TranslationPreviewHandle* translationPreview = nullptr;
        // Shows the main window, opening it when there is none.
        std::function<void()> showMainWindow;
        std::function<void()> quit;
    };

    explicit MenuBarController(QObject* parent = nullptr);
    ~MenuBarController() override;

    // Replaces the references, actions and settings subscription, and refreshes at once; a
    // second call adds no second icon.
    void attach(NiveloAppState* appState, Targets targets);

    // Selects a settings page, then shows the main window.
    void openPage(SettingsPage page);

    // None while the setting is off.
    QSystemTrayIcon* trayIcon() const { return trayIcon_.get(); }
    QMenu* menu() const { return menu_.get(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh(bool visible);
    void fillMenu();
    void nameTrayWindows();
    // The colour the glyph is drawn in: the one that stands out on the panel behind the icon
    // once it has been seen, the palette's text colour before.
    QColor glyphColor() const;
    // Looks at the panel around the icon and recolours the glyph when the panel asks for it.
    void followPanel();
    void retryPanel();
    void addItem(const QString& title, std::function<void()> action);

    QPointer<NiveloAppState> appState_;
    Targets targets_;
    Subscription subscription_;
    std::unique_ptr<QMenu> menu_;
    std::unique_ptr<QSystemTrayIcon> trayIcon_;
    bool refillWhenClosed_ = false;
    QColor panelGlyph_;
    // Looks at the panel again while the tray settles.
    QTimer panelRetry_;
    int panelRetriesLeft_ = 0;
};
