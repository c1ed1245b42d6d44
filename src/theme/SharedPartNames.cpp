#include "theme/SharedPartNames.h"

#include <QLabel>
#include <QWidget>

#include "theme/CloseButton.h"
#include "theme/FloatingSurface.h"
#include "theme/WindowDragHandle.h"

namespace {

// Images beside a text that tells what they show, named in both languages so that a change of
// the interface language finds them in either.
constexpr std::pair<const char16_t*, const char16_t*> kImageNames[] = {
    {u"Clipboard", u"Буфер обмена"},  {u"Search", u"Поиск"}, {u"Translation", u"Перевод"},
    {u"In progress", u"Выполняется"}, {u"Done", u"Готово"},  {u"Failed", u"Ошибка"},
};

}  // namespace

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
        } else if (qobject_cast<QLabel*>(part)) {
            const QString name = part->accessibleName();
            for (const auto& [english, russian] : kImageNames) {
                if (name == QStringView(english) || name == QStringView(russian)) {
                    part->setAccessibleName(
                        tr2(lang, QString::fromUtf16(english), QString::fromUtf16(russian)));
                }
            }
        }
    }
}
