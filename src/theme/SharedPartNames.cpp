#include "theme/SharedPartNames.h"

#include <QWidget>

#include "theme/CloseButton.h"
#include "theme/FloatingSurface.h"
#include "theme/WindowDragHandle.h"

void nameSharedParts(QWidget* panel, UiLanguage lang) {
    QList<QWidget*> parts = panel->findChildren<QWidget*>();
    parts.prepend(panel);
    for (QWidget* part : parts) {
        if (qobject_cast<CloseButton*>(part)) {
            part->setAccessibleName(tr2(lang, QStringLiteral("Close"), QStringLiteral("Закрыть")));
        } else if (qobject_cast<FloatingSurface*>(part)) {
            part->setAccessibleName(tr2(lang, QStringLiteral("Panel"), QStringLiteral("Панель")));
        } else if (qobject_cast<WindowDragHandle*>(part)) {
            part->setAccessibleName(
                tr2(lang, QStringLiteral("Move window"), QStringLiteral("Переместить окно")));
        }
    }
}
