#pragma once

#include <QWidget>

#include "assistant/AssistantPanelModel.h"
#include "assistant/AssistantRoundedBox.h"

class AssistantButton;
class AssistantComposerTextView;
class QLabel;

// Chat mode's bottom region: the context chip, the context's length and the paste-result
// button above the request field and the send button.
class AssistantComposer : public AssistantRoundedBox {
    Q_OBJECT
public:
    explicit AssistantComposer(QWidget* parent = nullptr);

    void setModel(const AssistantPanelModel& model, const QString& requestText);

    AssistantButton* contextChip() const { return contextChip_; }
    QLabel* contextLength() const { return contextLength_; }
    AssistantButton* pasteResultButton() const { return pasteResult_; }
    AssistantComposerTextView* editor() const { return editor_; }
    QWidget* editorFrame() const { return editorFrame_; }
    AssistantButton* sendButton() const { return send_; }

Q_SIGNALS:
    void contextChipClicked();
    void pasteResultClicked();
    void requestEdited(const QString& text);
    // The send button or the submit key.
    void sendRequested();

private:
    AssistantButton* contextChip_ = nullptr;
    QLabel* contextLength_ = nullptr;
    AssistantButton* pasteResult_ = nullptr;
    QWidget* editorFrame_ = nullptr;
    AssistantComposerTextView* editor_ = nullptr;
    AssistantButton* send_ = nullptr;
};
