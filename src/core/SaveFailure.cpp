#include "core/SaveFailure.h"

#include <cerrno>

namespace {

QString reason(UiLanguage language, int error) {
    switch (error) {
        case ENOSPC:
            return tr2(language, QStringLiteral("No space left on device."),
                       QStringLiteral("на диске нет места."));
        case EACCES:
        case EPERM:
            return tr2(language, QStringLiteral("Permission denied."),
                       QStringLiteral("нет прав на запись."));
        case EROFS:
            return tr2(language, QStringLiteral("The file system is read-only."),
                       QStringLiteral("диск только для чтения."));
        case EDQUOT:
            return tr2(language, QStringLiteral("Disk quota exceeded."),
                       QStringLiteral("исчерпана квота диска."));
        case EIO:
            return tr2(language, QStringLiteral("Input/output error."),
                       QStringLiteral("ошибка ввода-вывода."));
        default:
            return tr2(language, QStringLiteral("The file could not be written."),
                       QStringLiteral("запись не удалась."));
    }
}

}  // namespace

QString saveFailureMessage(UiLanguage language, int error) {
    return tr2(language, QStringLiteral("Could not save: "),
               QStringLiteral("Не удалось сохранить: ")) +
           reason(language, error);
}
