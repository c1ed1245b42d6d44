#pragma once

#include <QString>

#include "base/EnumCases.h"
#include "core/UiLanguage.h"

enum class MenuScale { tiny, small, medium, large, xlarge };

QString rawValue(MenuScale scale);
QString localizedTitle(MenuScale scale, UiLanguage lang);

template <>
QList<MenuScale> allCases<MenuScale>();
