#pragma once

#include <QMap>
#include <QObject>
#include <QString>
#include <optional>

#include "base/Subscription.h"
#include "platform/HotKeyRegistry.h"

class AssistantPanelHandle;
class CaptureAppState;
class ClipboardPanelHandle;
class QuickPanelHandle;
class SelectionCapture;
class TranslationPreviewHandle;

// The user's global hot keys: registers them from the settings and the styles, again on
// every settings change, and turns each press into its action.
class HotkeyService : public QObject {
    Q_OBJECT
public:
    static constexpr quint32 signature = fourCharCode("NVLH");

    // What a registered hot key does.
    struct Action {
        enum class Kind {
            style,
            reply,
            quickMenu,
            assistant,
            clipboard,
            layout,
            translationPreview
        };
        Kind kind = Kind::quickMenu;
        QString styleId;  // style and reply only

        friend bool operator==(const Action&, const Action&) = default;
    };

    struct Dependencies {
        HotKeyRegistry& registry;
        SelectionCapture& capture;
        // Null while the app has no such panel: its hot keys then do nothing.
        AssistantPanelHandle* assistant = nullptr;
        TranslationPreviewHandle* translationPreview = nullptr;
    };

    // A command's hot key as set (possibly unassigned or unreadable).
    struct Configured {
        QString hotkey;
        Action action;
    };
    // Every command that can hold a hot key, in the order registration gives out keys: of two
    // meaning the same keys, the earlier keeps them.
    static QList<Configured> configuredHotkeys(const CaptureAppState& state);

    explicit HotkeyService(Dependencies dependencies, QObject* parent = nullptr);

    // Installs the press handler and registers the hot keys; a second call does nothing.
    // Failures show as a failed status.
    void start(CaptureAppState* appState, QuickPanelHandle* quickPanel,
               ClipboardPanelHandle* clipboardPanel);
    // Unregisters everything, removes the handler and stops following the settings.
    void stop();

    // While suspended (counted: each suspend() wants its resume()) no hot key is registered,
    // and settings changes register none; the handler and the following of the settings stay.
    // The last resume() registers the hot keys as a settings change does.
    void suspend();
    void resume();
    bool isSuspended() const { return suspensions_ > 0; }

    bool isStarted() const { return handlerInstalled_; }
    // What each registered id does now.
    const QMap<quint32, Action>& registeredActions() const { return registeredActions_; }

private:
    void installHandler();
    void registerConfiguredHotkeys();
    void reloadConfiguredHotkeys();
    void unregisterAll();
    void handlePress(HotKeyId id);
    void perform(const Action& action);
    void showAssistant();
    void showReply(const QString& styleId);
    void showFailure(const std::exception& error);

    Dependencies deps_;
    CaptureAppState* appState_ = nullptr;
    QuickPanelHandle* quickPanel_ = nullptr;
    ClipboardPanelHandle* clipboardPanel_ = nullptr;
    bool handlerInstalled_ = false;
    int suspensions_ = 0;
    QMap<quint32, Action> registeredActions_;
    Subscription settingsSubscription_;
};
