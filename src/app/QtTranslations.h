#pragma once

#include <QObject>
#include <QPointer>
#include <QTranslator>
#include <optional>

#include "core/UiLanguage.h"

class NiveloAppState;

// The texts Qt draws itself (a file dialog's labels, buttons and columns, the standard buttons,
// a text field's context menu) in the interface language: Qt's own Russian catalogue is
// installed while the interface is Russian and removed when it turns back to English, and Qt
// redraws its open windows in the new language.
class QtTranslations : public QObject {
    Q_OBJECT
public:
    explicit QtTranslations(NiveloAppState& appState, QObject* parent = nullptr);

    // Whether Qt's Russian catalogue is installed now.
    bool isRussianInstalled() const { return installed_; }

private:
    void apply(UiLanguage language);

    QTranslator russian_;
    bool installed_ = false;
    std::optional<UiLanguage> applied_;
};
