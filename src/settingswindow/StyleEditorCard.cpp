#include "settingswindow/StyleEditorCard.h"

#include <optional>

#include "state/NiveloAppState.h"

namespace {

std::optional<PromptStyle> stored(const NiveloAppState& state, const QString& id) {
    for (const PromptStyle& style : state.promptStyles()) {
        if (style.id == id) {
            return style;
        }
    }
    return std::nullopt;
}

}  // namespace

StyleEditorCard::StyleEditorCard(NiveloAppState& state, const QString& id, QWidget* parent)
    : StyleEditorCardBase(state, id, HotkeyService::Action::Kind::style, kRecorderWidth, true,
                          parent) {}

void StyleEditorCard::write(Field field, const QString& text) {
    std::optional<PromptStyle> style = stored(state_, styleId());
    if (!style) {
        return;
    }
    setField(*style, field, text);
    state_.updatePromptStyle(*style);
}

void StyleEditorCard::writeAutoReplace(bool on) {
    if (std::optional<PromptStyle> style = stored(state_, styleId())) {
        style->autoReplace = on;
        state_.updatePromptStyle(*style);
    }
}

void StyleEditorCard::remove() {
    if (const std::optional<PromptStyle> style = stored(state_, styleId())) {
        state_.deletePromptStyle(*style);
    }
}
