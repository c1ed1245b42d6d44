#include "settingswindow/HotkeyHolders.h"

#include "capture/ParsedHotkey.h"
#include "state/NiveloAppState.h"

using Kind = HotkeyService::Action::Kind;

const QList<SettingsHotkey>& settingsHotkeys() {
    static const QList<SettingsHotkey> keys = {
        {Kind::quickMenu, u"Quick menu", u"Быстрое меню", u"Open quick actions",
         u"Открыть быстрые действия", &NiveloSettings::quickMenuHotkey},
        {Kind::assistant, u"AI assistant", u"AI помощник", u"Open AI chat with selected text",
         u"Открыть AI-чат с выделенным текстом", &NiveloSettings::assistantHotkey},
        {Kind::clipboard, u"Clipboard history", u"История буфера", u"Open clipboard window",
         u"Открыть окно буфера", &NiveloSettings::clipboardHotkey},
        {Kind::translationPreview, u"Translate preview", u"Предпросмотр перевода",
         u"Open translation window", u"Открыть окно перевода",
         &NiveloSettings::translatePreviewHotkey},
        {Kind::layout, u"Fix layout", u"Исправить раскладку", u"Convert typed text layout",
         u"Преобразовать текст из неверной раскладки", &NiveloSettings::layoutHotkey},
    };
    return keys;
}

QList<HotkeyHolder> hotkeyHolders(const NiveloAppState& state) {
    const NiveloSettings& s = state.settings();
    QList<HotkeyHolder> holders;
    for (const SettingsHotkey& key : settingsHotkeys()) {
        holders.append(
            {{key.kind, {}},
             tr2(s.uiLanguage, QString::fromUtf16(key.english), QString::fromUtf16(key.russian)),
             s.*key.member});
    }
    for (const PromptStyle& style : state.promptStyles()) {
        holders.append({{Kind::style, style.id}, state.styleTitle(style), style.hotkey});
    }
    for (const AIReplyStyle& style : state.aiReplyStyles()) {
        holders.append({{Kind::reply, style.id}, style.name, style.hotkey});
    }
    return holders;
}

std::optional<QString> otherHolder(const NiveloAppState& state, const QString& hotkey,
                                   const HotkeyService::Action& command) {
    const auto keys = ParsedHotkey::parse(hotkey);
    if (!keys) {
        return std::nullopt;
    }
    for (const HotkeyHolder& holder : hotkeyHolders(state)) {
        const auto held = ParsedHotkey::parse(holder.hotkey);
        if (holder.command != command && held &&
            held->canonicalSignature() == keys->canonicalSignature()) {
            return holder.name;
        }
    }
    return std::nullopt;
}

QString takenText(UiLanguage lang, const QString& holder) {
    return tr2(lang, QStringLiteral("Already used by %1."), QStringLiteral("Уже используется: %1."))
        .arg(holder);
}
