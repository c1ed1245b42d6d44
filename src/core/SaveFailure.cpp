#include "core/SaveFailure.h"

#include <cerrno>

namespace {

QString reason(UiLanguage language, int error) {
    switch (error) {
        case ENOSPC:
            return tr2(language, QStringLiteral("No space left on device."),
                       QStringLiteral("на устройстве не осталось места."));
        case EACCES:
        case EPERM:
            return tr2(language, QStringLiteral("Permission denied."),
                       QStringLiteral("нет прав на запись."));
        case EROFS:
            return tr2(language, QStringLiteral("The file system is read-only."),
                       QStringLiteral("файловая система доступна только для чтения."));
        case EDQUOT:
            return tr2(language, QStringLiteral("Disk quota exceeded."),
                       QStringLiteral("превышена дисковая квота."));
        case EIO:
            return tr2(language, QStringLiteral("Input/output error."),
                       QStringLiteral("ошибка ввода-вывода."));
        default:
            return tr2(language, QStringLiteral("The file could not be written."),
                       QStringLiteral("файл не удалось записать."));
    }
}

}  // namespace

QString saveFailureMessage(UiLanguage language, int error) {
    return tr2(language, QStringLiteral("Could not save: "),
               QStringLiteral("Не удалось сохранить: ")) +
           reason(language, error);
}
