// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every sentence the hero record says to the player, in Russian.

#include <QString>

namespace zarviki {

// What the last-hero window shows in place of the name when there is no record to read.
inline const QString NoHeroesMessage = QStringLiteral("Героев пока нет");

// Why a file or folder could not be written, or read, from the system's error number. The system's
// own (English) text follows a Russian sentence only for errors a player hardly meets.
QString failureReason(int error, bool reading = false);

namespace recordsays {

// A sentence naming the file or folder that failed, and why.
inline constexpr const char *CannotWrite = "Не удалось записать файл \"%1\": %2.";
inline constexpr const char *CannotMakeFolder = "Не удалось создать папку \"%1\": %2.";
inline constexpr const char *CannotOpenLock = "Не удалось открыть файл блокировки записи героя \"%1\": %2.";
inline constexpr const char *CannotSettle = "Не удалось завершить прерванную запись героя: файл \"%1\": %2.";
QString cannot(const char *sentence, const QString &path, int error, bool reading = false);
inline constexpr const char *Busy = "Запись героя занята другой запущенной игрой и не освободилась за %1 с. Попробуйте ещё раз.";

// What became of the record the save was to replace.
enum class OldRecord { Intact, MayYetBeReplaced, MayBeReplaced };
QString saveFailed(const QString &whatFailed, OldRecord oldRecord);

}  // namespace recordsays

}  // namespace zarviki
