// SPDX-License-Identifier: GPL-3.0-or-later
#include "halloffame/HeroRecord.h"

#include "halloffame/RecordFileSystem.h"
#include "halloffame/RecordPair.h"
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

}  // namespace

QString heroNamePath()
{
    return inFolder(recordfs::recordFolder(), NameFileName);
}

QString heroAboutPath()
{
    return inFolder(recordfs::recordFolder(), AboutFileName);
}

std::optional<HeroRecord> readHeroRecord()
{
    std::optional<HeroRecord> record = readHeroRecord(heroNamePath(), heroAboutPath());
    const QString older = recordfs::olderRecordFolder();
    if (record || older.isEmpty() || recordfs::kindOf(heroNamePath()) != recordfs::Kind::None)
        return record;
    const std::optional<QString> name = readRecordFile(inFolder(older, NameFileName));
    const std::optional<QString> about = name ? readRecordFile(inFolder(older, AboutFileName)) : std::nullopt;
    return about ? std::optional(HeroRecord{*name, *about}) : std::nullopt;
}

}  // namespace zarviki
