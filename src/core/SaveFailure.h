#pragma once

#include <QString>

#include "core/UiLanguage.h"

// The failed status of a save that could not be written, with its reason (an errno value),
// in the interface language.
QString saveFailureMessage(UiLanguage language, int error);
