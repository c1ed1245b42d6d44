#pragma once

#include "settingswindow/StyleEditorCardBase.h"

// A reply style's card: reply styles have no automatic replacement, so no "Auto" switch.
class AIReplyStyleEditorCard : public StyleEditorCardBase {
    Q_OBJECT
public:
    static constexpr int kRecorderWidth = 140;

    AIReplyStyleEditorCard(NiveloAppState& state, const QString& id, QWidget* parent = nullptr);

protected:
    void write(Field field, const QString& text) override;
    void remove() override;
};
