// SPDX-License-Identifier: GPL-3.0-or-later
#include "halloffame/RecordMessages.h"

#include <QDir>
#include <cerrno>
#include <utility>

namespace zarviki {

QString failureReason(int error, bool reading)
{
    if (error == EACCES || error == EPERM)
        return reading ? QStringLiteral("нет прав на чтение") : QStringLiteral("нет прав на запись");
    static const std::pair<int, const char *> reasons[] = {
        {EROFS, "диск доступен только для чтения"},
        {ENOSPC, "на диске не осталось места"},
#ifdef EDQUOT
        {EDQUOT, "исчерпана дисковая квота"},
#endif
        {ENOTDIR, "на пути стоит файл, а не папка"},
        {EISDIR, "на месте файла стоит папка"},
        {ENOENT, "такой папки нет"},
        {ENAMETOOLONG, "слишком длинное имя или путь"},
        {ELOOP, "слишком много символических ссылок на пути"},
        {EIO, "ошибка ввода-вывода на диске"},
        {EAGAIN, "файл занят другой программой"},
        {EFBIG, "файл слишком велик"},
        {EEXIST, "на этом месте уже что-то стоит"},
        {ENOTEMPTY, "папка не пуста"},
    };
    for (const auto &[number, reason] : reasons)
        if (number == error)
            return QString::fromUtf8(reason);
    return QStringLiteral("ошибка системы №%1 (%2)").arg(error).arg(qt_error_string(error));
}

namespace recordsays {

QString cannot(const char *sentence, const QString &path, int error, bool reading)
{
    return QString::fromUtf8(sentence).arg(QDir::toNativeSeparators(path), failureReason(error, reading));
}

QString saveFailed(const QString &whatFailed, OldRecord oldRecord)
{
    const QString outcomes[] = {
        QStringLiteral("Прежняя запись героя осталась без изменений."),
        QStringLiteral("Прежняя запись героя пока не изменена, но убрать начатую запись не удалось: она может заменить прежнюю при следующем чтении."),
        QStringLiteral("Прежняя запись героя, возможно, уже заменена: новая будет дописана при следующем чтении."),
    };
    return QStringLiteral("Результат не сохранён.\n") + whatFailed + QLatin1Char('\n') + outcomes[int(oldRecord)];
}

}  // namespace recordsays

}  // namespace zarviki
