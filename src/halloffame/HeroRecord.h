// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hero record: the last winner's name and few words, kept as two one-line Windows-1251 text
// files, the hero-name file "имя" and the hero-about file "о_себе". The winner window saves it with
// a RecordWriter (RecordWriter.h); the last-hero window reads it with readHeroRecord().

#include <QString>
#include <optional>

namespace zarviki {

// Where the two record files live; both hall-of-fame windows use these two paths. The folder is
// "zarviki" in the user's data location: on Linux $XDG_DATA_HOME/zarviki (by default
// ~/.local/share/zarviki), on Windows %APPDATA%\zarviki.
QString heroNamePath();
QString heroAboutPath();

struct HeroRecord {
    QString name;
    QString about;
    friend bool operator==(const HeroRecord &, const HeroRecord &) = default;
};

// Reads the player's whole record, or nothing, as RecordPair.h tells. On Windows,
// while the record folder holds no hero-name file, it reads the pair older versions left in the
// root of drive C, which it never writes.
std::optional<HeroRecord> readHeroRecord();

}  // namespace zarviki
