#pragma once

#include <QPalette>
#include <QWidget>

#include "settingswindow/SettingsBackdrop.h"

class AppUpdateManager;
class ClipboardHistoryService;
class HotkeyService;
class KeyMap;
class NiveloAppState;
class QuickPanelController;
class StatusHUDController;

// The main window's content: the backdrop, the sidebar of pages and the selected page. It
// follows the state: the appearance mode recolours it, the language retitles it.
class MainSettingsView : public QWidget {
    Q_OBJECT
public:
    // What the window and its pages use; the services other than the state may be missing.
    struct Environment {
        NiveloAppState& appState;
        QuickPanelController* quickPanel = nullptr;
        StatusHUDController* statusHUD = nullptr;
        HotkeyService* hotkeys = nullptr;
        ClipboardHistoryService* clipboardHistory = nullptr;
        // Names recorded keys by their physical key; without it the recorder reads Qt's key.
        KeyMap* keyMap = nullptr;
        AppUpdateManager* updateManager = nullptr;
    };

    static constexpr int kMinimumWidth = 760;
    static constexpr int kMinimumHeight = 500;
    static constexpr int kSidebarWidth = 220;

    explicit MainSettingsView(Environment environment, QWidget* parent = nullptr);

    const SettingsBackdrop& backdrop() const { return backdrop_; }
    const Environment& environment() const { return env_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void restyle();
    // Names the window's own parts in the interface language.
    void nameParts();
    // The content and the window around it take the palette (its pop-ups follow).
    void applyPalette(QPalette palette);

    Environment env_;
    QPalette systemPalette_;
    SettingsBackdrop backdrop_;
    SettingsWindowBackdrop* windowBackdrop_ = nullptr;
    QWidget* sidebarColumn_ = nullptr;
    SettingsSidebarBackdrop* sidebarBackdrop_ = nullptr;
};
