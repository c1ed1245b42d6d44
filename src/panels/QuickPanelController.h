#pragma once

#include <QObject>
#include <QPointer>
#include <QSize>
#include <functional>
#include <memory>

#include "capture/PanelHandles.h"
#include "theme/PanelWindow.h"

class Defaults;
class EventMonitors;
class FloatingPanelDismissMonitor;
class NiveloAppState;
class QuickActionPanel;
class Screens;

// Owner of the quick-action panel. One instance lives for the whole process; the hot keys,
// the selection trigger, the floating button and the tray menu all reach the panel through it.
// The panel never takes the keyboard, so the application holding the selection stays active.
class QuickPanelController : public QObject, public QuickPanelHandle {
    Q_OBJECT
public:
    static constexpr int kMinimumWidth = 300;
    static constexpr int kMinimumHeight = 260;
    static constexpr int kMaximumSavedWidth = 560;
    static inline const QString kWidthKey = QStringLiteral("nivelo.quickPanel.width");
    static inline const QString kHeightKey = QStringLiteral("nivelo.quickPanel.height");

    // What the panel stands on; any may be missing (placement, saving and dismissing are then
    // left out).
    struct Dependencies {
        Screens* screens = nullptr;
        EventMonitors* monitors = nullptr;
        Defaults* defaults = nullptr;
        PanelWindow::Environment environment = {};
        // Remembers the frontmost application, so a row's result goes back into it.
        std::function<void()> rememberFrontmost = {};
        // The selected text of the remembered application, empty when there is none.
        std::function<QString()> peekSelection = {};
    };

    // appState: the state the hot keys and the selection trigger show the panel for.
    QuickPanelController(NiveloAppState* appState, Dependencies dependencies,
                         QObject* parent = nullptr);
    ~QuickPanelController() override;

    void show(NiveloAppState& appState);
    // Hides the panel when the user can see it, else shows it.
    void toggle(NiveloAppState& appState);
    // Hides the panel when it is shown; the dismiss monitors go first.
    void hide();
    void removeDismissMonitors();

    void show() override;
    void toggle() override;
    bool isPanelVisible() const override;

    // The "ai" and "clipboard" rows open these; null: the row does nothing more than hide.
    void setAssistantPanel(AssistantPanelHandle* handle) { assistantPanel_ = handle; }
    void setClipboardPanel(ClipboardPanelHandle* handle) { clipboardPanel_ = handle; }
    AssistantPanelHandle* assistantPanel() const { return assistantPanel_; }
    ClipboardPanelHandle* clipboardPanel() const { return clipboardPanel_; }
    QString peekSelection() const;
    void rememberFrontmost() const;

    // The size a new panel gets for the state's actions and menu size, capped by the main
    // screen.
    QSize preferredPanelSize(const NiveloAppState& appState) const;
    // The size the user last gave the panel, within its limits; fallback when none was saved
    // or it is below the minimum.
    QSize savedPanelSize(QSize fallback) const;
    void savePanelSize(QSize size);

    PanelWindow* panel() const { return panel_.get(); }
    QuickActionPanel* view() const { return view_; }
    bool hasDismissMonitors() const;

private:
    int maximumHeight() const;
    void createPanel(NiveloAppState& appState, QSize size);

    QPointer<NiveloAppState> appState_;
    Dependencies deps_;
    std::unique_ptr<PanelWindow> panel_;
    QuickActionPanel* view_ = nullptr;
    std::unique_ptr<FloatingPanelDismissMonitor> dismissMonitor_;
    AssistantPanelHandle* assistantPanel_ = nullptr;
    ClipboardPanelHandle* clipboardPanel_ = nullptr;
};
