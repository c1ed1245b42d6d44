#include "core/SettingsPage.h"

namespace {

struct PageInfo {
    const char* raw;
    const char* english;
    const char* russian;
    const char* symbol;
};

PageInfo info(SettingsPage page) {
    switch (page) {
        case SettingsPage::general:
            return {"general", "General", "Основные", "gearshape"};
        case SettingsPage::actions:
            return {"actions", "Actions", "Действия", "sparkles"};
        case SettingsPage::styles:
            return {"styles", "Styles", "Стили", "text.badge.star"};
        case SettingsPage::aiReply:
            return {"aiReply", "AI Reply", "AI Reply", "bubble.left.and.text.bubble.right"};
        case SettingsPage::quickMenu:
            return {"quickMenu", "Quick Menu", "Быстрое меню", "bolt.circle"};
        case SettingsPage::clipboard:
            return {"clipboard", "Clipboard", "Буфер", "clipboard"};
        case SettingsPage::layout:
            return {"layout", "Layout", "Раскладка", "keyboard"};
        case SettingsPage::permissions:
            return {"permissions", "Permissions", "Разрешения", "lock.shield"};
        case SettingsPage::shortcuts:
            return {"shortcuts", "Shortcuts", "Хоткеи", "keyboard"};
        case SettingsPage::updates:
            return {"updates", "Updates", "Обновления", "arrow.down.circle"};
    }
    return {"general", "General", "Основные", "gearshape"};
}

}  // namespace

QString rawValue(SettingsPage page) {
    return QString::fromUtf8(info(page).raw);
}

QString title(SettingsPage page, UiLanguage lang) {
    const PageInfo i = info(page);
    return tr2(lang, QString::fromUtf8(i.english), QString::fromUtf8(i.russian));
}

QString symbolName(SettingsPage page) {
    return QString::fromUtf8(info(page).symbol);
}

template <>
QList<SettingsPage> allCases<SettingsPage>() {
    return {SettingsPage::general, SettingsPage::actions,     SettingsPage::styles,
            SettingsPage::aiReply, SettingsPage::quickMenu,   SettingsPage::clipboard,
            SettingsPage::layout,  SettingsPage::permissions, SettingsPage::shortcuts,
            SettingsPage::updates};
}
