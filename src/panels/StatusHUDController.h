#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

#include "base/Subscription.h"
#include "core/ActionStatus.h"
#include "theme/PanelWindow.h"

class NiveloAppState;
class Screens;
class StatusHUD;
class SystemAppearance;

// Shows the application state's status in a small box centred near the bottom of the main
// screen: every running, done or failed status, hidden at idle. It never takes the keyboard, and
// it keeps clear of the panels of ours that show.
class StatusHUDController : public QObject {
    Q_OBJECT
public:
    struct Dependencies {
        Screens& screens;
        // For the surface mode when there is no application state.
        SystemAppearance& appearance;
        PanelWindow::Environment environment = {};
    };

    explicit StatusHUDController(Dependencies dependencies, QObject* parent = nullptr);
    ~StatusHUDController() override;

    // Follows the state's status from now on; a second call replaces the subscription.
    void attach(NiveloAppState* appState);
    // Builds or refreshes the HUD for status, sizes and centres it, and shows it.
    void show(const ActionStatus& status);

    // The HUD window; none until the first status is shown.
    PanelWindow* panel() const { return panel_.get(); }
    StatusHUD* view() const { return view_; }

private:
    void apply(const ActionStatus& status);

    Dependencies deps_;
    QPointer<NiveloAppState> appState_;
    Subscription subscription_;
    std::unique_ptr<PanelWindow> panel_;
    StatusHUD* view_ = nullptr;
};
