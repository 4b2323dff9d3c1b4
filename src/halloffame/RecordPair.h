// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two record files on the disk, replaced together, and how they are read. A save (RecordWriter)
// writes each file completely beside its target (the target's name and ".new") and puts it on the
// disk; then a marker ("имя.commit") names the pair it commits by each file's size and checksum,
// the two targets are replaced, and the marker goes. The folder is put on the disk after the
// marker, after both renames, and after a folder is made, so that even a power cut keeps the record
// whole. A save stopped before its marker is undone at the next read or save, one stopped after it
// is finished there; a marker that does not match the files beside it is undone, never finished.

#include <QByteArray>
#include <QString>
#include <optional>
#include <utility>

#include "halloffame/HeroRecord.h"

namespace zarviki {

QString stagedPath(const QString &target);
QString markerPath(const QString &namePath);

// The marker of a save of these two files' contents.
QByteArray markerContent(const QByteArray &name, const QByteArray &about);

// The two files that hold the pair a whole marked save commits: each is its staged file, or its
// target where the staged file has already replaced it. Nothing when there is no marker, or the
// marker does not match.
std::optional<std::pair<QString, QString>> markedPair(const QString &namePath, const QString &aboutPath);

// With the lock held: finishes a marked save or undoes any other, and removes what older versions
// left beside the record. Returns 0 or the error number, and the path that failed.
int settlePair(const QString &namePath, const QString &aboutPath, QString *failed);

// Removes what older versions left beside the record: the temporary files of a save
// ("имя.XXXXXX") and the copies of a replaced record ("имя.old-..."). Nothing depends on their going.
void removeLeftovers(const QString &namePath, const QString &aboutPath);

// Reads the whole record, or nothing. It waits up to RecordLockWaitMs for a game that is saving,
// and settles a save that a killed game left half done. Where the lock cannot be had at all, the
// pair read is still whole: the old one, or the new one of a whole marked save.
std::optional<HeroRecord> readHeroRecord(const QString &namePath, const QString &aboutPath);

}  // namespace zarviki
