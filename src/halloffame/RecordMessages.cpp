// SPDX-License-Identifier: GPL-3.0-or-later
#include "halloffame/RecordMessages.h"

#include <QDir>
#include <cerrno>

namespace zarviki {

namespace {

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

}  // namespace

QString failureReason(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("нет прав на запись");
#ifdef EROFS
    case EROFS:
        return QStringLiteral("диск доступен только для чтения");
#endif
    case ENOSPC:
        return QStringLiteral("на диске не осталось места");
#ifdef EDQUOT
    case EDQUOT:
        return QStringLiteral("исчерпана дисковая квота");
#endif
    case ENOTDIR:
        return QStringLiteral("на пути стоит файл, а не папка");
    case EISDIR:
        return QStringLiteral("на месте файла стоит папка");
    case ENOENT:
        return QStringLiteral("такой папки нет");
    case ENAMETOOLONG:
        return QStringLiteral("слишком длинное имя или путь");
#ifdef ELOOP
    case ELOOP:
        return QStringLiteral("слишком много символических ссылок на пути");
#endif
    case EMLINK:
        return QStringLiteral("в папке слишком много ссылок");
    case EIO:
        return QStringLiteral("ошибка ввода-вывода на диске");
    case EBUSY:
        return QStringLiteral("файл занят системой");
    case EFBIG:
        return QStringLiteral("файл слишком велик");
    case EEXIST:
        return QStringLiteral("на этом месте уже что-то стоит");
    case ENOTEMPTY:
        return QStringLiteral("папка не пуста");
    default:
        return QStringLiteral("ошибка системы №%1 (%2)").arg(error).arg(qt_error_string(error));
    }
}

namespace recordsays {

QString cannotWrite(const QString &path, int error)
{
    return QStringLiteral("Не удалось записать файл \"%1\": %2.").arg(native(path), failureReason(error));
}

QString cannotMakeFolder(const QString &folder, int error)
{
    return QStringLiteral("Не удалось создать папку \"%1\": %2.").arg(native(folder), failureReason(error));
}

QString busy(int waitMs)
{
    return QStringLiteral("Запись героя занята другой запущенной игрой и не освободилась за %1 с. "
                          "Попробуйте ещё раз.")
        .arg(waitMs / 1000);
}

QString cannotOpenLock(const QString &lockPath, int error)
{
    // The lock file is only read, so a refusal is no want of a right to write it: the file itself
    // may not be opened, or its folder may not take a new one.
    const QString reason = error == EACCES || error == EPERM ? QStringLiteral("нет прав доступа") : failureReason(error);
    return QStringLiteral("Не удалось открыть файл блокировки записи героя \"%1\": %2.").arg(native(lockPath), reason);
}

QString cannotSettle(const QString &path, int error)
{
    return QStringLiteral("Не удалось завершить прерванную запись героя: файл \"%1\": %2.")
        .arg(native(path), failureReason(error));
}

QString saveFailed(const QString &whatFailed, OldRecord oldRecord)
{
    QString message = QStringLiteral("Результат не сохранён.\n") + whatFailed;
    switch (oldRecord) {
    case OldRecord::Intact:
        return message + QStringLiteral("\nПрежняя запись героя осталась без изменений.");
    case OldRecord::Replaced:
        return message + QStringLiteral("\nПрежнюю запись героя восстановить не удалось: новая будет дописана при "
                                        "следующем чтении.");
    case OldRecord::MayYetBeReplaced:
        return message + QStringLiteral("\nПрежняя запись героя пока не изменена, но убрать начатую запись не "
                                        "удалось: она может заменить прежнюю при следующем чтении.");
    }
    return message;
}

}  // namespace recordsays

}  // namespace zarviki
