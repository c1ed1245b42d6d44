#include "app/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

#include "core/NiveloSettings.h"
#include "state/NiveloAppState.h"

QtTranslations::QtTranslations(NiveloAppState& appState, QObject* parent) : QObject(parent) {
    connect(&appState, &NiveloAppState::settingsChanged, this,
            [this](const NiveloSettings& settings) { apply(settings.uiLanguage); });
    apply(appState.settings().uiLanguage);
}

void QtTranslations::apply(UiLanguage language) {
    if (applied_ == language) {
        return;
    }
    applied_ = language;
    if (language == UiLanguage::en) {
        // Qt's own texts are English without a catalogue.
        if (installed_) {
            QCoreApplication::removeTranslator(&russian_);
            installed_ = false;
        }
        return;
    }
    // Read once; a system without the catalogue keeps Qt's English.
    if (russian_.isEmpty() &&
        !russian_.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        return;
    }
    installed_ = QCoreApplication::installTranslator(&russian_);
}
