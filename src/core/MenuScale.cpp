#include "core/MenuScale.h"

QString rawValue(MenuScale scale) {
    switch (scale) {
        case MenuScale::tiny:
            return QStringLiteral("tiny");
        case MenuScale::small:
            return QStringLiteral("small");
        case MenuScale::medium:
            return QStringLiteral("medium");
        case MenuScale::large:
            return QStringLiteral("large");
        case MenuScale::xlarge:
            return QStringLiteral("xlarge");
    }
    return QStringLiteral("tiny");
}

QString localizedTitle(MenuScale scale, UiLanguage lang) {
    switch (scale) {
        case MenuScale::tiny:
            return tr2(lang, QStringLiteral("Tiny"), QStringLiteral("Мини"));
        case MenuScale::small:
            return tr2(lang, QStringLiteral("Small"), QStringLiteral("Маленький"));
        case MenuScale::medium:
            return tr2(lang, QStringLiteral("Medium"), QStringLiteral("Средний"));
        case MenuScale::large:
            return tr2(lang, QStringLiteral("Large"), QStringLiteral("Большой"));
        case MenuScale::xlarge:
            return tr2(lang, QStringLiteral("Extra Large"), QStringLiteral("Очень большой"));
    }
    return {};
}

template <>
QList<MenuScale> allCases<MenuScale>() {
    return {MenuScale::tiny, MenuScale::small, MenuScale::medium, MenuScale::large,
            MenuScale::xlarge};
}
