#pragma once

#include "settingswindow/StyleListSettingsView.h"

StyleListPageModel stylesPageModel(const NiveloAppState& state);

// Puts back the built-in prompt styles in one save, and with them takes out of both quick-menu
// lists the "style:" ids of every style that is gone, so no action is left that can only fail.
void resetPromptStyles(NiveloAppState& state);

// Every prompt style as an editable card.
class StylesSettingsView : public StyleListSettingsView {
    Q_OBJECT
public:
    explicit StylesSettingsView(NiveloAppState& state, QWidget* parent = nullptr);

protected:
    StyleListPageModel model() const override { return stylesPageModel(state_); }
    StyleEditorCardBase* makeCard(const QString& id) override;
    void add() override;
    void reset() override { resetPromptStyles(state_); }
};
