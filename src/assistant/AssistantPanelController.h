#pragma once

#include <QCoro/QCoroTask>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QUuid>
#include <functional>
#include <memory>
#include <optional>

#include "assistant/AssistantConversationTurn.h"
#include "assistant/AssistantReplyMode.h"
#include "base/Subscription.h"
#include "capture/PanelHandles.h"
#include "core/AIReplyStyle.h"
#include "core/AppearanceMode.h"
#include "core/SurfaceMode.h"
#include "core/UiLanguage.h"
#include "theme/PanelWindow.h"

class BackendClient;
class Clock;
class Defaults;
class NiveloAppState;
class Pasteboard;
class Screens;
struct ActionStatus;

// Owner of the assistant panel and all of its state: a chat with the AI about a captured
// context, and the reply mode (AssistantReplyMode) that writes, restyles, decorates,
// translates, copies and pastes a reply to a selected message. One instance lives for the whole
// process; the hot keys and the quick panel's "ai" row reach it through AssistantPanelHandle. Every
// published property has one change signal, emitted after every assignment.
class AssistantPanelController : public QObject, public AssistantPanelHandle {
    Q_OBJECT
public:
    static constexpr int kMinimumWidth = 480;
    static constexpr int kMinimumHeight = 560;
    static constexpr int kDefaultWidth = 620;
    static constexpr int kDefaultHeight = 680;
    static constexpr int kMaximumSavedWidth = 920;
    static constexpr int kMaximumSavedHeight = 900;
    // How long a copied turn keeps its check mark.
    static constexpr qint64 kCopyMarkMs = 1100;
    static inline const QString kWidthKey = QStringLiteral("nivelo.assistantPanel.width");
    static inline const QString kHeightKey = QStringLiteral("nivelo.assistantPanel.height");

    // What the panel stands on; the optional ones may be missing (placement, saving sizes,
    // copying and pasting are then left out).
    struct Dependencies {
        Clock& clock;
        // The panel's own client, apart from the core's.
        std::shared_ptr<BackendClient> backend;
        Defaults* defaults = nullptr;
        Screens* screens = nullptr;
        Pasteboard* pasteboard = nullptr;
        PanelWindow::Environment environment = {};
        // The process of the application focus memory holds now; none when there is none.
        std::function<std::optional<qint64>()> rememberedProcess = {};
        // Puts a reply into that process's chat reply field.
        std::function<QCoro::Task<>(QString text, qint64 processIdentifier)> pasteAIReply = {};
    };

    explicit AssistantPanelController(Dependencies dependencies, QObject* parent = nullptr);
    ~AssistantPanelController() override;

    // Published properties.
    const QString& contextText() const { return contextText_; }
    bool contextEnabled() const { return contextEnabled_; }
    const QString& requestText() const { return requestText_; }
    // The composer edits it.
    void setRequestText(const QString& text);
    const QString& resultText() const { return resultText_; }
    const QList<AssistantConversationTurn>& turns() const { return turns_; }
    const std::optional<QUuid>& copiedTurnID() const { return copiedTurnID_; }
    bool isRunning() const { return isRunning_; }
    const QString& errorText() const { return errorText_; }
    AppearanceMode appearanceMode() const { return appearanceMode_; }
    SurfaceMode surfaceMode() const { return surfaceMode_; }
    UiLanguage uiLanguage() const { return uiLanguage_; }
    bool isReplyMode() const { return isReplyMode_; }
    const QString& replyStyleName() const { return replyStyleName_; }
    const QList<AIReplyStyle>& replyStyles() const { return replyStyles_; }
    const QString& selectedReplyStyleID() const { return selectedReplyStyleID_; }
    const QString& replyTranslationLanguage() const { return replyTranslationLanguage_; }

    // The dialogue id the server keeps the chat under: an upper-case UUID text.
    const QString& assistantSessionId() const { return assistantSessionId_; }
    // The text every translation of the shown reply starts from.
    const QString& replyTranslationSource() const { return reply_.translationSource(); }
    // None until the panel is first shown.
    PanelWindow* panel() const { return panel_.get(); }
    // The widget filling the panel; null until the panel is made.
    QWidget* content() const { return content_; }
    bool isPanelVisible() const;
    // Hides the panel (its close control and close requests); nothing else changes.
    void hidePanel();

    // Wires the controller to the state; a second call replaces the first.
    void attach(NiveloAppState* appState);

    // Opens the panel in chat mode; a blank context keeps the earlier one.
    void show(const QString& context) override;
    // Opens the panel in reply mode and writes a reply to the message in that style.
    void showReply(const QString& message, const AIReplyStyle& style,
                   const QString& targetLanguage) override;

    // Switches the context on or off and saves the choice in the settings.
    void setContextEnabled(bool enabled);
    // Clears the conversation and starts a new dialogue on the server.
    void newChat();
    // Sends the composer's request.
    void run();
    void copyResult();
    // Copies the turn's result and marks the turn for kCopyMarkMs.
    void copyMessage(const AssistantConversationTurn& turn);

    // Reply mode; each does nothing outside it, for a style not offered, or while running.
    void selectReplyStyle(const QString& styleId);
    void regenerateReply();
    void addEmojisToReply();
    void translateReply();
    void selectReplyTranslationLanguage(const QString& language);
    // Hides the panel and pastes the result into the remembered application.
    void pasteResult();

    // The size the panel opens at: the saved one within its limits, else the default.
    QSize savedPanelSize() const;
    void savePanelSize(QSize size);

Q_SIGNALS:
    void contextTextChanged(const QString& text);
    void contextEnabledChanged(bool enabled);
    void requestTextChanged(const QString& text);
    void resultTextChanged(const QString& text);
    void turnsChanged(const QList<AssistantConversationTurn>& turns);
    void copiedTurnIDChanged(const std::optional<QUuid>& id);
    void isRunningChanged(bool running);
    void errorTextChanged(const QString& text);
    void appearanceModeChanged(AppearanceMode mode);
    void surfaceModeChanged(SurfaceMode mode);
    void uiLanguageChanged(UiLanguage language);
    void isReplyModeChanged(bool replyMode);
    void replyStyleNameChanged(const QString& name);
    void replyStylesChanged(const QList<AIReplyStyle>& styles);
    void selectedReplyStyleIDChanged(const QString& id);
    void replyTranslationLanguageChanged(const QString& language);

private:
    // Reply mode works on the published properties below.
    friend class AssistantReplyMode;

    void setContextText(const QString& text);
    void setContextEnabledFlag(bool enabled);
    void setResultText(const QString& text);
    void setTurns(const QList<AssistantConversationTurn>& turns);
    void setCopiedTurnID(const std::optional<QUuid>& id);
    void setRunning(bool running);
    void setErrorText(const QString& text);
    void setAppearanceMode(AppearanceMode mode);
    void setSurfaceMode(SurfaceMode mode);
    void setUiLanguage(UiLanguage language);
    void setReplyMode(bool replyMode);
    void setReplyStyleName(const QString& name);
    void setReplyStyles(const QList<AIReplyStyle>& styles);
    void setSelectedReplyStyleID(const QString& id);
    void setReplyTranslationLanguage(const QString& language);

    void syncAppearanceFromSettings();
    void makePanel();
    void positionNearMouse();
    void setStatus(const ActionStatus& status);
    QString tr(const QString& english, const QString& russian) const;
    QString settingsTargetLanguage() const;
    AssistantConversationTurn newTurn(const QString& request, const QString& result) const;
    void failRequest(const QString& description);
    void applySurfaceRecipe();
    // Every request start moves it on; a completion applies only while it holds its start.
    quint64 beginRequest();
    bool isCurrent(quint64 request) const { return request == requestCounter_; }

    // Holds the client, so a request outlives a controller that goes away under it.
    static QCoro::Task<> runChat(QPointer<AssistantPanelController> self,
                                 std::shared_ptr<BackendClient> backend, quint64 request,
                                 QString text, QString composerText, QString trimmedRequest);
    static QCoro::Task<> clearCopyMark(QPointer<AssistantPanelController> self, QUuid turn);

    Dependencies deps_;
    std::shared_ptr<BackendClient> backend_;

    QString contextText_;
    bool contextEnabled_ = false;
    QString requestText_;
    QString resultText_;
    QList<AssistantConversationTurn> turns_;
    std::optional<QUuid> copiedTurnID_;
    bool isRunning_ = false;
    QString errorText_;
    AppearanceMode appearanceMode_ = AppearanceMode::system;
    SurfaceMode surfaceMode_ = SurfaceMode::translucent;
    UiLanguage uiLanguage_ = UiLanguage::en;
    bool isReplyMode_ = false;
    QString replyStyleName_;
    QList<AIReplyStyle> replyStyles_;
    QString selectedReplyStyleID_;
    QString replyTranslationLanguage_ = QStringLiteral("English");

    QPointer<NiveloAppState> appState_;
    std::unique_ptr<PanelWindow> panel_;
    QWidget* content_ = nullptr;
    Subscription settingsSubscription_;
    Subscription surfaceSubscription_;
    QString assistantSessionId_;
    quint64 requestCounter_ = 0;
    AssistantReplyMode reply_;
};
