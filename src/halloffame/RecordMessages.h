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

QString cannotWrite(const QString &path, int error);
QString cannotMakeFolder(const QString &folder, int error);
QString busy(int waitMs);
QString cannotOpenLock(const QString &lockPath, int error);
QString cannotSettle(const QString &path, int error, bool reading);

// What became of the record the save was to replace.
enum class OldRecord { Intact, MayYetBeReplaced, MayBeReplaced };
QString saveFailed(const QString &whatFailed, OldRecord oldRecord);

}  // namespace recordsays

}  // namespace zarviki
