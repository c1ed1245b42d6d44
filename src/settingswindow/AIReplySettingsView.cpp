#include "settingswindow/AIReplySettingsView.h"

#include "core/AIReplyStyleLibrary.h"
#include "settingswindow/AIReplyStyleEditorCard.h"
#include "state/NiveloAppState.h"

StyleListPageModel aiReplyPageModel(const NiveloAppState& state) {
    const UiLanguage lang = state.settings().uiLanguage;
    StyleListPageModel m;
    m.title = QStringLiteral("AI Reply");
    // "Command + Option" is how the reply keys are written; here they are Super and Alt.
    m.hint = tr2(
        lang, QStringLiteral("Select a message and use Command + Option with a reply-style key."),
        QStringLiteral("Выделите сообщение и нажмите Command + Option с клавишей стиля "
                       "ответа."));
    m.addTitle = tr2(lang, QStringLiteral("Add"), QStringLiteral("Добавить"));
    m.resetTitle = tr2(lang, QStringLiteral("Reset"), QStringLiteral("Сброс"));
    const QSet<QString>& builtIn = AIReplyStyleLibrary::builtInStyleIds();
    for (const AIReplyStyle& s : state.aiReplyStyles()) {
        m.cards.append({s.id, s.name, s.hotkey, s.prompt, std::nullopt, !builtIn.contains(s.id)});
    }
    return m;
}

AIReplySettingsView::AIReplySettingsView(NiveloAppState& state, QWidget* parent)
    : StyleListSettingsView(state, parent) {
    build();
}

StyleEditorCardBase* AIReplySettingsView::makeCard(const QString& id) {
    return new AIReplyStyleEditorCard(state_, id, this);
}

void AIReplySettingsView::add() {
    state_.addAIReplyStyle();
}

void AIReplySettingsView::reset() {
    state_.editSettings(
        [](NiveloSettings& s) { s.aiReplyStyles = AIReplyStyleLibrary::defaultStyles(); });
}
