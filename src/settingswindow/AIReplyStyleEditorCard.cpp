#include "settingswindow/AIReplyStyleEditorCard.h"

#include <optional>

#include "state/NiveloAppState.h"

namespace {

std::optional<AIReplyStyle> stored(const NiveloAppState& state, const QString& id) {
    for (const AIReplyStyle& style : state.aiReplyStyles()) {
        if (style.id == id) {
            return style;
        }
    }
    return std::nullopt;
}

}  // namespace

AIReplyStyleEditorCard::AIReplyStyleEditorCard(NiveloAppState& state, const QString& id,
                                               QWidget* parent)
    : StyleEditorCardBase(state, id, HotkeyService::Action::Kind::reply, kRecorderWidth, false,
                          parent) {}

void AIReplyStyleEditorCard::write(Field field, const QString& text) {
    std::optional<AIReplyStyle> style = stored(state_, styleId());
    if (!style) {
        return;
    }
    setField(*style, field, text);
    state_.updateAIReplyStyle(*style);
}

void AIReplyStyleEditorCard::remove() {
    if (const std::optional<AIReplyStyle> style = stored(state_, styleId())) {
        state_.deleteAIReplyStyle(*style);
    }
}
