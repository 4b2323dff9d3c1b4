// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every sentence the hero record says to the player, in Russian.

#include <QString>

namespace zarviki {

// What the last-hero window shows in place of the name when there is no record to read.
inline const QString NoHeroesMessage = QStringLiteral("Героев пока нет");

// Why a file or folder could not be written, from the system's error number. The system's own
// (English) text follows a Russian sentence only for errors a player hardly meets.
QString failureReason(int error);

namespace recordsays {

QString cannotWrite(const QString &path, int error);
QString cannotMakeFolder(const QString &folder, int error);
QString busy(int waitMs);
QString cannotOpenLock(const QString &lockPath, int error);
QString cannotSettle(const QString &path, int error);

// What the winner window tells the player after a failed save.
enum class OldRecord { Intact, Replaced, MayYetBeReplaced };
QString saveFailed(const QString &whatFailed, OldRecord oldRecord);

}  // namespace recordsays

}  // namespace zarviki
