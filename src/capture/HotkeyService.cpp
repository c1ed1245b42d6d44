#include "capture/HotkeyService.h"

#include <QPointer>
#include <QSet>

#include "base/Async.h"
#include "base/Text.h"
#include "capture/CaptureAppState.h"
#include "capture/HotkeyServiceError.h"
#include "capture/PanelHandles.h"
#include "capture/ParsedHotkey.h"
#include "capture/SelectionCapture.h"
#include "core/NiveloSettings.h"
#include "core/UiLanguage.h"

namespace {

using Action = HotkeyService::Action;
using Kind = HotkeyService::Action::Kind;

// Reads the message to answer (accessibility first, then a quick copy) and opens the reply.
QCoro::Task<> replyToSelection(QPointer<HotkeyService> service, SelectionCapture* capture,
                               CaptureAppState* appState, AssistantPanelHandle* assistant,
                               AIReplyStyle style) {
    QString message = text::trimmed(capture->peekSelectedTextViaAccessibility());
    if (message.isEmpty()) {
        try {
            const QString copied =
                co_await capture->readSelectedTextTransient(false, false, PasteboardTiming::fast());
            message = text::trimmed(copied);
        } catch (...) {
            message.clear();  // a failed read counts as nothing selected
        }
        if (!service) {
            co_return;
        }
    }
    if (message.isEmpty()) {
        appState->setStatus(ActionStatus::failed(
            tr2(appState->settings().uiLanguage, QStringLiteral("Select a message to reply to"),
                QStringLiteral("Выделите сообщение для ответа"))));
        co_return;
    }
    assistant->showReply(message, style, appState->settings().targetLanguage);
}

}  // namespace

HotkeyService::HotkeyService(Dependencies dependencies, QObject* parent)
    : QObject(parent), deps_(dependencies) {}

void HotkeyService::start(CaptureAppState* appState, QuickPanelHandle* quickPanel,
                          ClipboardPanelHandle* clipboardPanel) {
    if (handlerInstalled_) {
        return;
    }
    appState_ = appState;
    quickPanel_ = quickPanel;
    clipboardPanel_ = clipboardPanel;
    try {
        installHandler();
    } catch (const HotkeyServiceError& error) {
        stop();
        showFailure(error);
        return;
    }
    // A bad or refused hot key shows its failure; the handler, the other keys and the
    // following of the settings stay: the next change retries.
    registerConfiguredHotkeys();
    if (!appState_) {
        return;
    }
    auto skipCurrent = std::make_shared<bool>(true);
    QPointer<HotkeyService> self(this);
    settingsSubscription_ = appState_->subscribeSettings([self, skipCurrent](const auto&) {
        if (std::exchange(*skipCurrent, false)) {
            return;
        }
        if (self && self->appState_) {
            self->reloadConfiguredHotkeys();
        }
    });
}

void HotkeyService::stop() {
    unregisterAll();
    if (handlerInstalled_) {
        deps_.registry.removeHandler();
        handlerInstalled_ = false;
    }
    settingsSubscription_.reset();
}

void HotkeyService::suspend() {
    if (suspensions_++ == 0) {
        unregisterAll();
    }
}

void HotkeyService::resume() {
    if (suspensions_ == 0 || --suspensions_ > 0) {
        return;
    }
    if (handlerInstalled_) {
        reloadConfiguredHotkeys();
    }
}

void HotkeyService::installHandler() {
    QPointer<HotkeyService> self(this);
    const int status = deps_.registry.installHandler([self](HotKeyId id) {
        if (self) {
            self->handlePress(id);
        }
    });
    if (status != 0) {
        throw HotkeyServiceError::installFailed(status);
    }
    handlerInstalled_ = true;
}

QList<HotkeyService::Configured> HotkeyService::configuredHotkeys(const CaptureAppState& state) {
    const NiveloSettings& settings = state.settings();
    QList<Configured> hotkeys{
        {settings.assistantHotkey, {Kind::assistant, {}}},
        {settings.clipboardHotkey, {Kind::clipboard, {}}},
        {settings.layoutHotkey, {Kind::layout, {}}},
        {settings.translatePreviewHotkey, {Kind::translationPreview, {}}},
    };
    for (const PromptStyle& style : state.promptStyles()) {
        hotkeys.append({style.hotkey, {Kind::style, style.id}});
    }
    for (const AIReplyStyle& style : state.aiReplyStyles()) {
        hotkeys.append({style.hotkey, {Kind::reply, style.id}});
    }
    hotkeys.append({settings.quickMenuHotkey, {Kind::quickMenu, {}}});
    return hotkeys;
}

void HotkeyService::registerConfiguredHotkeys() {
    if (!appState_ || suspensions_ > 0) {
        return;
    }
    // Each hot key on its own: one that cannot be read or registered shows its failure and
    // costs no other key.
    QSet<QString> seen;
    quint32 nextId = 1;
    for (const auto& [text, action] : configuredHotkeys(*appState_)) {
        if (ParsedHotkey::isNotAssigned(text)) {
            continue;
        }
        const auto parsed = ParsedHotkey::parse(text);
        if (!parsed) {
            showFailure(HotkeyServiceError::invalidHotkey(text));
            continue;
        }
        const QString canonical = parsed->canonicalSignature();
        if (seen.contains(canonical)) {
            continue;  // the earlier source keeps the keys
        }
        seen.insert(canonical);
        const int status = deps_.registry.registerHotKey({signature, nextId}, parsed->keyCode,
                                                         parsed->modifierMask());
        if (status != 0) {
            showFailure(HotkeyServiceError::registerFailed(text, status));
            continue;
        }
        registeredActions_.insert(nextId, action);
        ++nextId;
    }
}

void HotkeyService::unregisterAll() {
    for (auto it = registeredActions_.cbegin(); it != registeredActions_.cend(); ++it) {
        deps_.registry.unregisterHotKey({signature, it.key()});
    }
    registeredActions_.clear();
}

void HotkeyService::reloadConfiguredHotkeys() {
    unregisterAll();
    registerConfiguredHotkeys();
}

void HotkeyService::handlePress(HotKeyId id) {
    // The action is taken when the key is pressed: after a reload the same id may name
    // another hot key, and this press must not run that one.
    const auto it = registeredActions_.constFind(id.id);
    if (it == registeredActions_.constEnd()) {
        return;
    }
    const Action action = *it;
    QPointer<HotkeyService> self(this);
    launchLater(this, [self, action] {
        if (self) {
            self->perform(action);
        }
    });
}

void HotkeyService::perform(const Action& action) {
    if (!appState_ || !quickPanel_) {
        return;
    }
    switch (action.kind) {
        case Kind::style: {
            deps_.capture.rememberFrontmostApplication();
            const QString id = action.styleId == QLatin1String("translate")
                                   ? QStringLiteral("translate")
                                   : QuickAction::normalize("style:" + action.styleId);
            appState_->run(QuickAction{id}, true, false);
            break;
        }
        case Kind::reply:
            showReply(action.styleId);
            break;
        case Kind::quickMenu:
            quickPanel_->toggle();
            break;
        case Kind::assistant:
            showAssistant();
            break;
        case Kind::clipboard:
            if (clipboardPanel_) {
                clipboardPanel_->toggle();
            }
            break;
        case Kind::layout:
            deps_.capture.rememberFrontmostApplication();
            appState_->run(QuickAction{QuickAction::normalize(QStringLiteral("layout"))}, true,
                           false);
            break;
        case Kind::translationPreview:
            if (deps_.translationPreview) {
                deps_.capture.rememberFrontmostApplication();
                deps_.translationPreview->showFromSelection();
            }
            break;
    }
}

void HotkeyService::showAssistant() {
    if (!deps_.assistant) {
        return;
    }
    deps_.capture.rememberFrontmostApplication();
    QPointer<HotkeyService> self(this);
    launchLater(this, [self] {
        if (self) {
            self->deps_.assistant->show(self->deps_.capture.peekSelectedTextViaAccessibility());
        }
    });
}

void HotkeyService::showReply(const QString& styleId) {
    std::optional<AIReplyStyle> style;
    for (const AIReplyStyle& s : appState_->aiReplyStyles()) {
        if (s.id == styleId) {
            style = s;
            break;
        }
    }
    if (!style || !deps_.assistant) {
        return;
    }
    deps_.capture.rememberFrontmostApplication();
    QPointer<HotkeyService> self(this);
    launchLater(this, [self, style = *style] {
        if (self && self->appState_) {
            replyToSelection(self, &self->deps_.capture, self->appState_, self->deps_.assistant,
                             style);
        }
    });
}

void HotkeyService::showFailure(const std::exception& error) {
    if (appState_) {
        appState_->setStatus(ActionStatus::failed(errorDescription(error)));
    }
}
