#pragma once

#include <QPointer>
#include <QWidget>
#include <optional>

#include "assistant/AssistantPanelModel.h"

class PaintedButton;
class AssistantComposer;
class AssistantLanguageList;
class AssistantPanelController;
class AssistantReplyBar;
class AssistantTranscript;
class QLabel;
class QMenu;

// The assistant panel's content: a header with the title and the mode's control, the
// transcript, an error line and, at the bottom, the composer (chat) or the reply action bar
// (reply). It keeps no conversation state: it shows the controller and calls its operations,
// refreshing its widgets in place on every change.
class AssistantPanel : public QWidget {
    Q_OBJECT
public:
    // How far the language list's bottom edge stands above the chip's.
    static constexpr int kLanguageListLift = 34;

    explicit AssistantPanel(AssistantPanelController& controller, QWidget* parent = nullptr);

    const AssistantPanelModel& model() const { return model_; }
    bool isLanguageListVisible() const { return languageListVisible_; }
    void setLanguageListVisible(bool visible);

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();
    void rebuildReplyStyleMenu();
    void placeLanguageList();
    void chooseLanguage(const QString& language);

    // What the transcript shows; the list compares in constant time while it is shared.
    struct TranscriptInputs {
        QList<AssistantConversationTurn> turns;
        std::optional<QUuid> copiedTurnID;
        UiLanguage uiLanguage = UiLanguage::en;
        bool isRunning = false;
        bool operator==(const TranscriptInputs&) const = default;
    };

    QPointer<AssistantPanelController> controller_;
    AssistantPanelModel model_;
    bool languageListVisible_ = false;
    bool refreshed_ = false;
    std::optional<TranscriptInputs> transcriptInputs_;
    int lastTurnCount_ = 0;
    bool lastRunning_ = false;

    QLabel* headerSymbol_ = nullptr;
    QLabel* title_ = nullptr;
    PaintedButton* newChat_ = nullptr;
    PaintedButton* replyStyle_ = nullptr;
    QMenu* replyStyleMenu_ = nullptr;
    QList<AssistantReplyStyleEntry> menuEntries_;
    AssistantTranscript* transcript_ = nullptr;
    QLabel* error_ = nullptr;
    AssistantComposer* composer_ = nullptr;
    AssistantReplyBar* replyBar_ = nullptr;
    AssistantLanguageList* languageList_ = nullptr;
};
