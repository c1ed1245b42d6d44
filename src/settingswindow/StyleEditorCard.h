#pragma once

#include "settingswindow/StyleEditorCardBase.h"

// A prompt style's card, with the "Auto" switch.
class StyleEditorCard : public StyleEditorCardBase {
    Q_OBJECT
public:
    static constexpr int kRecorderWidth = 120;

    StyleEditorCard(NiveloAppState& state, const QString& id, QWidget* parent = nullptr);

protected:
    void write(Field field, const QString& text) override;
    void writeAutoReplace(bool on) override;
    void remove() override;
};
