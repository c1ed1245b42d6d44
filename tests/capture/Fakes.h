#pragma once

#include <QObject>
#include <QStringList>

#include "base/NiveloError.h"
#include "capture/CaptureAppState.h"
#include "capture/PanelHandles.h"
#include "capture/SelectionCapture.h"
#include "core/NiveloSettings.h"
#include "platform/Workspace.h"

// An application state that keeps its settings and records what it is asked to do.
struct FakeAppState : QObject, CaptureAppState {
    Q_OBJECT
public:
    const NiveloSettings& settings() const override { return settings_; }
    QList<PromptStyle> promptStyles() const override { return settings_.promptStyles; }
    QList<AIReplyStyle> aiReplyStyles() const override { return settings_.aiReplyStyles; }
    Subscription subscribeSettings(std::function<void(const NiveloSettings&)> fn) override {
        return subscribe(this, &FakeAppState::settingsChanged, &FakeAppState::settings,
                         std::move(fn));
    }
    void run(const QuickAction& action, bool pasteResult, bool updateSampleText) override {
        runs << QStringLiteral("%1 paste=%2 sample=%3")
                    .arg(action.id)
                    .arg(pasteResult)
                    .arg(updateSampleText);
    }
    void setStatus(const ActionStatus& status) override { statuses << status; }

    // Publishes a changed record, as the application state does; edit() changes it silently.
    template <typename Fn>
    void change(Fn fn) {
        fn(settings_);
        Q_EMIT settingsChanged(settings_);
    }
    NiveloSettings& edit() { return settings_; }

    QStringList runs;
    QList<ActionStatus> statuses;

Q_SIGNALS:
    void settingsChanged(const NiveloSettings& settings);

private:
    NiveloSettings settings_;
};

// Focus memory and selection reads of a simulated target application.
struct FakeSelectionCapture : SelectionCapture {
    void rememberFrontmostApplication() override {
        ++rememberCalls;
        rememberedPid = frontmostPid;
    }
    std::optional<qint64> rememberedProcessIdentifier() const override { return rememberedPid; }
    QString peekSelectedTextViaAccessibility() override {
        ++peekCalls;
        return accessibilityText;
    }
    QCoro::Task<QString> readSelectedTextTransient(bool selectAll, bool fallback,
                                                   PasteboardTiming timing) override {
        lastSelectAll = selectAll;
        lastFallback = fallback;
        lastTiming = timing;
        if (copyFails) {
            throw NiveloError(QStringLiteral("No text was copied."));
        }
        co_return copiedText;
    }

    std::optional<qint64> frontmostPid = 42, rememberedPid;
    QString accessibilityText, copiedText;
    bool copyFails = false, lastSelectAll = true, lastFallback = true;
    int rememberCalls = 0, peekCalls = 0;
    PasteboardTiming lastTiming;
};

// The quick panel, the assistant and the translation preview, recording every call in one log.
struct FakePanels : QuickPanelHandle, AssistantPanelHandle, TranslationPreviewHandle {
    void show() override {
        log << "quick.show";
        quickVisible = true;
    }
    void toggle() override { log << "quick.toggle"; }
    bool isPanelVisible() const override { return quickVisible; }
    void show(const QString& context) override { log << "assistant.show:" + context; }
    void showReply(const QString& message, const AIReplyStyle& style,
                   const QString& targetLanguage) override {
        log << QStringLiteral("assistant.reply:%1|%2|%3").arg(message, style.id, targetLanguage);
    }
    void showFromSelection() override { log << "translation.show"; }

    bool quickVisible = false;
    QStringList log;
};

struct FakeClipboardPanel : ClipboardPanelHandle {
    void show() override {}
    void toggle() override { ++toggles; }
    int toggles = 0;
};

struct FakeFloatingButton : FloatingButtonHandle {
    void show() override {
        ++shows;
        visible = true;
    }
    void hide() override { visible = false; }
    bool visible = false;
    int shows = 0;
};

// A desktop's running applications, switched by the test.
struct FakeWorkspace : Workspace {
    QList<RunningApplication> runningApplications() const override { return {}; }
    std::optional<RunningApplication> frontmostApplication() const override { return frontmost; }
    bool activate(qint64) override { return false; }
    bool openUrl(const QUrl&) override { return false; }
    qint64 ownProcessIdentifier() const override { return 1000; }

    void bringToFront(const RunningApplication& app) {
        frontmost = app;
        Q_EMIT applicationActivated(app);
    }

    std::optional<RunningApplication> frontmost;
};
