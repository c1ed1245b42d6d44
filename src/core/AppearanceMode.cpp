#include "core/AppearanceMode.h"

QString rawValue(AppearanceMode mode) {
    switch (mode) {
        case AppearanceMode::system:
            return QStringLiteral("system");
        case AppearanceMode::liquidSky:
            return QStringLiteral("liquid-sky");
        case AppearanceMode::liquidViolet:
            return QStringLiteral("liquid-violet");
        case AppearanceMode::liquidMint:
            return QStringLiteral("liquid-mint");
        case AppearanceMode::liquidRose:
            return QStringLiteral("liquid-rose");
        case AppearanceMode::liquidNoir:
            return QStringLiteral("liquid-noir");
    }
    return QStringLiteral("system");
}

QString localizedTitle(AppearanceMode mode, UiLanguage lang) {
    switch (mode) {
        case AppearanceMode::system:
            return tr2(lang, QStringLiteral("System"), QStringLiteral("Системный"));
        case AppearanceMode::liquidSky:
            return tr2(lang, QStringLiteral("Sky Glass"), QStringLiteral("Небесное стекло"));
        case AppearanceMode::liquidViolet:
            return tr2(lang, QStringLiteral("Violet Glass"), QStringLiteral("Фиолетовое стекло"));
        case AppearanceMode::liquidMint:
            return tr2(lang, QStringLiteral("Mint Glass"), QStringLiteral("Мятное стекло"));
        case AppearanceMode::liquidRose:
            return tr2(lang, QStringLiteral("Rose Glass"), QStringLiteral("Розовое стекло"));
        case AppearanceMode::liquidNoir:
            return tr2(lang, QStringLiteral("Noir Glass"), QStringLiteral("Темное стекло"));
    }
    return {};
}

template <>
QList<AppearanceMode> allCases<AppearanceMode>() {
    return {AppearanceMode::system,     AppearanceMode::liquidSky,  AppearanceMode::liquidViolet,
            AppearanceMode::liquidMint, AppearanceMode::liquidRose, AppearanceMode::liquidNoir};
}
