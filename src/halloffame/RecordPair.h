// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two record files on the disk, replaced together, and how they are read. A save (RecordWriter)
// writes each file completely beside its target (the target's name and ".new") and puts it on the
// disk; then a marker ("имя.commit") names the pair it commits by each file's size and checksum,
// the two targets are replaced, and the marker goes. A save stopped before its marker is undone at
// the next read or save, one stopped after it is finished there. Only a marker read whole and shown
// wrong by the files beside it is undone; while any of them cannot be read, every file is left as
// it is, to be settled later.

#include <QByteArray>
#include <QString>
#include <optional>

#include "halloffame/HeroRecord.h"

namespace zarviki {

QString stagedPath(const QString &target);
QString markerPath(const QString &namePath);

// The marker of a save of these two files' contents.
QByteArray markerContent(const QByteArray &name, const QByteArray &about);

// With the lock held: finishes a save whose marker names the files beside it, after putting the
// marker and the staged files on the disk, or undoes any other. Returns 0 or the error number, and
// the path that failed; a file that cannot be read fails it, and nothing is changed.
int settlePair(const QString &namePath, const QString &aboutPath, QString *failed);

// Reads the whole record, or nothing. It waits up to RecordLockWaitMs for a game that is saving,
// and settles a save that a killed game left half done. Where the lock cannot be had, or was kept
// for the whole wait, the pair is read as it stands, again until nothing changed while it was
// read: the old one, or the new one of a whole marked save.
std::optional<HeroRecord> readHeroRecord(const QString &namePath, const QString &aboutPath);

}  // namespace zarviki
