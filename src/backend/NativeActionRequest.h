#pragma once

#include <QList>
#include <QString>

#include "core/PromptStyle.h"
#include "core/QuickAction.h"

// One quick action to run on a text. Callers name the fields (designated initializers).
struct NativeActionRequest {
    QuickAction action{};
    // Goes to the backend client as it came (the client trims and splits).
    QString input{};
    QString targetLanguage{};
    // The caller's styles: a style action runs only with a style from this list.
    QList<PromptStyle> styles{};
};
