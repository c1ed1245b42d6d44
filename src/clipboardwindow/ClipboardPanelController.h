#pragma once

#include <QCoro/QCoroTask>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <memory>
#include <optional>

#include "base/Subscription.h"
#include "capture/PanelHandles.h"
#include "core/AppearanceMode.h"
#include "core/SurfaceMode.h"
#include "core/UiLanguage.h"
#include "theme/PanelWindow.h"

class ClipboardHistoryPanel;
class ClipboardHistoryService;
class ClipboardNotesService;
class ClipboardWindowModel;
class Clock;
class Defaults;
class EventMonitors;
class FloatingPanelDismissMonitor;
class FocusService;
class NiveloAppState;
class Pasteboard;
class PasteboardService;
class Screens;
class Workspace;

// Owner of the clipboard window: opens it next to the pointer without taking the focus from
// the application the user works in, remembers that application (its process, not only its
// identifier) so that a chosen entry goes back into the very window it came from, hides on
// Escape, a click elsewhere, its close control or before a paste, and keeps the window's size
// and the view's state between openings. One instance lives for the process.
class ClipboardPanelController : public QObject, public ClipboardPanelHandle {
    Q_OBJECT
public:
    static constexpr int kMinimumWidth = 340;
    static constexpr int kMinimumHeight = 380;
    static constexpr int kMaximumSavedWidth = 760;
    static constexpr int kMaximumSavedHeight = 860;
    static constexpr QSize kDefaultSize{380, 520};
    static constexpr qint64 kPasteDelayMs = 120;
    static constexpr double kNoteCopySuppressSeconds = 1.2;
    static inline const QString kWidthKey = QStringLiteral("nivelo.clipboardPanel.width");
    static inline const QString kHeightKey = QStringLiteral("nivelo.clipboardPanel.height");

    struct Dependencies {
        Clock& clock;
        FocusService& focus;
        Workspace& workspace;
        PasteboardService& pasteService;
        // The general pasteboard, for note copies.
        Pasteboard& pasteboard;
        ClipboardHistoryService& history;
        ClipboardNotesService& notes;
        // Any of these may be missing (placement, dismissing, stored sizes are then left out).
        Screens* screens = nullptr;
        EventMonitors* monitors = nullptr;
        Defaults* defaults = nullptr;
        PanelWindow::Environment environment = {};
    };

    explicit ClipboardPanelController(Dependencies dependencies, QObject* parent = nullptr);
    ~ClipboardPanelController() override;

    // Follows the state's settings (appearance, language) and surface mode; a second call
    // replaces the first. Shows and hides nothing.
    void attach(NiveloAppState* appState);

    void show() override;
    void toggle() override;
    void hide();
    bool isPanelVisible() const;

    // Hides the window, then after a short pause pastes text into the application the window
    // was opened from and reports the outcome through the state's status.
    void pasteFromHistory(const QString& text);
    // Puts a note's text on the pasteboard without recording it in the history.
    void copyNote(const QString& text);

    AppearanceMode appearanceMode() const { return appearanceMode_; }
    SurfaceMode surfaceMode() const { return surfaceMode_; }
    UiLanguage uiLanguage() const { return uiLanguage_; }
    const std::optional<QString>& pasteTargetBundleIdentifier() const {
        return pasteTargetBundleIdentifier_;
    }
    const std::optional<qint64>& pasteTargetProcessIdentifier() const {
        return pasteTargetProcessIdentifier_;
    }

    // The stored size within its limits, else the default; read when the window is made.
    QSize savedPanelSize() const;
    void savePanelSize(QSize size);

    PanelWindow* panel() const { return panel_.get(); }
    ClipboardHistoryPanel* view() const { return view_; }
    // Exists from the first show on; none before.
    ClipboardWindowModel* model() const { return model_.get(); }
    bool hasDismissMonitors() const;

Q_SIGNALS:
    void appearanceChanged();

private:
    void createPanel();
    void positionNearMouse();
    void syncAppearanceFromSettings();
    void applyAppearance();
    static QCoro::Task<> paste(QPointer<ClipboardPanelController> self, QString text,
                               std::optional<QString> bundleIdentifier,
                               std::optional<qint64> processIdentifier);

    Dependencies deps_;
    QPointer<NiveloAppState> appState_;
    AppearanceMode appearanceMode_ = AppearanceMode::system;
    SurfaceMode surfaceMode_ = SurfaceMode::translucent;
    UiLanguage uiLanguage_ = UiLanguage::en;
    Subscription settingsSubscription_;
    Subscription surfaceSubscription_;
    std::optional<QString> pasteTargetBundleIdentifier_;
    std::optional<qint64> pasteTargetProcessIdentifier_;
    std::unique_ptr<ClipboardWindowModel> model_;
    std::unique_ptr<PanelWindow> panel_;
    ClipboardHistoryPanel* view_ = nullptr;
    std::unique_ptr<FloatingPanelDismissMonitor> dismissMonitor_;
};
