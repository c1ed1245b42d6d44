#pragma once

#include <QString>

#include "base/EnumCases.h"
#include "core/UiLanguage.h"

enum class AppearanceMode { system, liquidSky, liquidViolet, liquidMint, liquidRose, liquidNoir };

QString rawValue(AppearanceMode mode);
QString localizedTitle(AppearanceMode mode, UiLanguage lang);

template <>
QList<AppearanceMode> allCases<AppearanceMode>();
