#pragma once

#include "assistant/AssistantPanelModel.h"
#include "assistant/AssistantRoundedBox.h"

class AssistantButton;

// Reply mode's bottom region: regenerate, add emojis, the translation-language chip,
// translate, copy and paste.
class AssistantReplyBar : public AssistantRoundedBox {
    Q_OBJECT
public:
    explicit AssistantReplyBar(QWidget* parent = nullptr);

    void setModel(const AssistantPanelModel& model);

    AssistantButton* regenerateButton() const { return regenerate_; }
    AssistantButton* emojisButton() const { return emojis_; }
    AssistantButton* languageChip() const { return languageChip_; }
    AssistantButton* translateButton() const { return translate_; }
    AssistantButton* copyButton() const { return copy_; }
    AssistantButton* pasteButton() const { return paste_; }

Q_SIGNALS:
    void regenerateClicked();
    void addEmojisClicked();
    void languageChipClicked();
    void translateClicked();
    void copyClicked();
    void pasteClicked();

private:
    AssistantButton* regenerate_ = nullptr;
    AssistantButton* emojis_ = nullptr;
    AssistantButton* languageChip_ = nullptr;
    AssistantButton* translate_ = nullptr;
    AssistantButton* copy_ = nullptr;
    AssistantButton* paste_ = nullptr;
};
