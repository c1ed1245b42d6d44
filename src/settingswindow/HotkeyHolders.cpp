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

namespace {
// A command as the settings pages name it.
QString nameOf(const NiveloAppState& state, const HotkeyService::Action& command) {
    if (command.kind == Kind::style) {
        for (const PromptStyle& style : state.promptStyles()) {
            if (style.id == command.styleId) {
                return state.styleTitle(style);
            }
        }
    } else if (command.kind == Kind::reply) {
        for (const AIReplyStyle& style : state.aiReplyStyles()) {
            if (style.id == command.styleId) {
                return style.name;
            }
        }
    } else {
        for (const SettingsHotkey& key : settingsHotkeys()) {
            if (key.kind == command.kind) {
                return tr2(state.settings().uiLanguage, QString::fromUtf16(key.english),
                           QString::fromUtf16(key.russian));
            }
        }
    }
    return {};
}
}  // namespace

std::optional<QString> otherHolder(const NiveloAppState& state, const QString& hotkey,
                                   const HotkeyService::Action& command) {
    const auto keys = ParsedHotkey::parse(hotkey);
    if (!keys) {
        return std::nullopt;
    }
    for (const auto& [held, holder] : HotkeyService::configuredHotkeys(state)) {
        const auto heldKeys = ParsedHotkey::parse(held);
        if (holder != command && heldKeys &&
            heldKeys->canonicalSignature() == keys->canonicalSignature()) {
            return nameOf(state, holder);
        }
    }
    return std::nullopt;
}

QString takenText(UiLanguage lang, const QString& holder) {
    return tr2(lang, QStringLiteral("Already used by %1."), QStringLiteral("Уже используется: %1."))
        .arg(holder);
}
