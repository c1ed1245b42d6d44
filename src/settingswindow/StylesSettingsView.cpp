#include "settingswindow/StylesSettingsView.h"

#include "core/NiveloPromptLibrary.h"
#include "core/QuickAction.h"
#include "settingswindow/StyleEditorCard.h"
#include "state/NiveloAppState.h"

StyleListPageModel stylesPageModel(const NiveloAppState& state) {
    const UiLanguage lang = state.settings().uiLanguage;
    StyleListPageModel m;
    m.title = tr2(lang, QStringLiteral("Prompt styles"), QStringLiteral("Стили"));
    m.addTitle = tr2(lang, QStringLiteral("Add"), QStringLiteral("Добавить"));
    m.resetTitle = tr2(lang, QStringLiteral("Reset"), QStringLiteral("Сброс"));
    const QSet<QString>& builtIn = NiveloPromptLibrary::builtInStyleIds();
    for (const PromptStyle& s : state.promptStyles()) {
        m.cards.append({s.id, s.name, s.hotkey, s.prompt, s.autoReplace, !builtIn.contains(s.id)});
    }
    return m;
}

void resetPromptStyles(NiveloAppState& state) {
    const QList<PromptStyle>& styles = NiveloPromptLibrary::defaultStyles();
    QSet<QString> kept;
    for (const PromptStyle& style : styles) {
        kept.insert(style.id);
    }
    const QString prefix = QStringLiteral("style:");
    const auto isGone = [&](const QString& entry) {
        const QString id = QuickAction::normalize(entry);
        return id.startsWith(prefix) && !kept.contains(id.mid(prefix.size()));
    };
    state.editSettings([&](NiveloSettings& s) {
        s.promptStyles = styles;
        s.quickMenuOrder.removeIf(isGone);
        s.quickMenuActions.removeIf(isGone);
    });
}

StylesSettingsView::StylesSettingsView(NiveloAppState& state, QWidget* parent)
    : StyleListSettingsView(state, parent) {
    build();
}

StyleEditorCardBase* StylesSettingsView::makeCard(const QString& id) {
    return new StyleEditorCard(state_, id, this);
}

void StylesSettingsView::add() {
    state_.addPromptStyle();
}
