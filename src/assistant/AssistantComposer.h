#pragma once

#include <QWidget>

#include "assistant/AssistantPanelModel.h"
#include "theme/RoundedBox.h"

class PaintedButton;
class AssistantComposerTextView;
class QLabel;

// Chat mode's bottom region: the context chip, the context's length and the paste-result
// button above the request field and the send button.
class AssistantComposer : public RoundedBox {
    Q_OBJECT
public:
    explicit AssistantComposer(QWidget* parent = nullptr);

    void setModel(const AssistantPanelModel& model, const QString& requestText);

    AssistantComposerTextView* editor() const { return editor_; }

Q_SIGNALS:
    void contextChipClicked();
    void pasteResultClicked();
    void requestEdited(const QString& text);
    // The send button or the submit key.
    void sendRequested();

private:
    PaintedButton* contextChip_ = nullptr;
    QLabel* contextLength_ = nullptr;
    PaintedButton* pasteResult_ = nullptr;
    QWidget* editorFrame_ = nullptr;
    AssistantComposerTextView* editor_ = nullptr;
    PaintedButton* send_ = nullptr;
};
