// SPDX-License-Identifier: GPL-3.0-or-later
#include "halloffame/HeroRecord.h"

#include "halloffame/RecordFileSystem.h"
#include "halloffame/RecordReader.h"

namespace zarviki {

namespace {

// The file names are Cyrillic throughout: и м я, and о _ с е б е.
const QString NameFileName = QStringLiteral("\u0438\u043C\u044F");
const QString AboutFileName = QStringLiteral("\u043E_\u0441\u0435\u0431\u0435");

QString inFolder(const QString &folder, const QString &fileName)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + fileName : folder + QLatin1Char('/') + fileName;
}

std::optional<HeroRecord> readPair(const QString &namePath, const QString &aboutPath)
{
    const std::optional<QString> name = readRecordFile(namePath);
    const std::optional<QString> about = name ? readRecordFile(aboutPath) : std::nullopt;
    if (!about)
        return std::nullopt;
    return HeroRecord{*name, *about};
}

}  // namespace

QString heroNamePath()
{
    return inFolder(recordfs::recordFolder(), NameFileName);
}

QString heroAboutPath()
{
    return inFolder(recordfs::recordFolder(), AboutFileName);
}

std::optional<HeroRecord> readHeroRecord(const QString &namePath, const QString &aboutPath)
{
    RecordLock lock(namePath);
    const RecordLock::Result locked = lock.acquire();
    if (locked == RecordLock::Busy)
        return std::nullopt;
    QString failed;
    if (locked == RecordLock::Held)
        settlePair(namePath, aboutPath, &failed);
    // Settled, the marked pair is no more. Otherwise the lock could not be had, or the folder
    // cannot be written; a whole marked save is then read as the record it was to become.
    if (const auto marked = markedPair(namePath, aboutPath))
        return readPair(marked->first, marked->second);
    return readPair(namePath, aboutPath);
}

std::optional<HeroRecord> readHeroRecord()
{
    std::optional<HeroRecord> record = readHeroRecord(heroNamePath(), heroAboutPath());
    const QString older = recordfs::olderRecordFolder();
    if (!record && !older.isEmpty() && recordfs::kindOf(heroNamePath()) == recordfs::Kind::None)
        record = readPair(inFolder(older, NameFileName), inFolder(older, AboutFileName));
    return record;
}

}  // namespace zarviki
