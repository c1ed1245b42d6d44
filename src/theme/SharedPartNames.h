#pragma once

#include "core/UiLanguage.h"

class QWidget;

// Names the parts every floating panel shares, in the interface language: its surface, its
// close button, the handles that move it and the images beside its texts (a panel names its own
// header after this).
void nameSharedParts(QWidget* panel, UiLanguage lang);
