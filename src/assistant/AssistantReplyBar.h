#pragma once

#include "assistant/AssistantPanelModel.h"
#include "theme/RoundedBox.h"

class PaintedButton;

// Reply mode's bottom region: regenerate, add emojis, the translation-language chip,
// translate, copy and paste.
class AssistantReplyBar : public RoundedBox {
    Q_OBJECT
public:
    explicit AssistantReplyBar(QWidget* parent = nullptr);

    void setModel(const AssistantPanelModel& model);

    PaintedButton* languageChip() const { return languageChip_; }

Q_SIGNALS:
    void regenerateClicked();
    void addEmojisClicked();
    void languageChipClicked();
    void translateClicked();
    void copyClicked();
    void pasteClicked();

private:
    PaintedButton* regenerate_ = nullptr;
    PaintedButton* emojis_ = nullptr;
    PaintedButton* languageChip_ = nullptr;
    PaintedButton* translate_ = nullptr;
    PaintedButton* copy_ = nullptr;
    PaintedButton* paste_ = nullptr;
};
