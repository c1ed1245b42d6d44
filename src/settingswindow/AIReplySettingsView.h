#pragma once

#include "settingswindow/StyleListSettingsView.h"

StyleListPageModel aiReplyPageModel(const NiveloAppState& state);

// Every AI reply style as an editable card, under the hint on how replies are asked for.
class AIReplySettingsView : public StyleListSettingsView {
    Q_OBJECT
public:
    explicit AIReplySettingsView(NiveloAppState& state, QWidget* parent = nullptr);

protected:
    StyleListPageModel model() const override { return aiReplyPageModel(state_); }
    StyleEditorCardBase* makeCard(const QString& id) override;
    void add() override;
    void reset() override;
};
