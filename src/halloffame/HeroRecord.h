// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hero record: the last winner's name and few words, kept as two one-line Windows-1251 text
// files, "имя" and "о_себе", saved whole or not at all. docs/hall-of-fame.md is where its files,
// its journal and its lock are told step by step.

#include <QString>
#include <optional>

namespace zarviki {

// The two files, in the folder "zarviki" of the user's data location: on Linux
// $XDG_DATA_HOME/zarviki (by default ~/.local/share/zarviki), on Windows %APPDATA%\zarviki.
QString heroNamePath();
QString heroAboutPath();

// How long a save or a read waits for another game to finish with the record.
inline constexpr int RecordLockWaitMs = 2000;

struct HeroRecord {
    QString name;
    QString about;
    friend bool operator==(const HeroRecord &, const HeroRecord &) = default;
};

// The whole record, or nothing. Without a folder it reads the player's, and on Windows, while that
// holds no hero-name file, the pair older versions left in the root of drive C.
std::optional<HeroRecord> readHeroRecord();
std::optional<HeroRecord> readHeroRecord(const QString &folder);

// Saves the record; nothing when it is saved, otherwise the message for the player, which names
// what failed and says what became of the record before.
QString saveHeroRecord(const QString &name, const QString &about);
QString saveHeroRecord(const QString &folder, const QString &name, const QString &about);

}  // namespace zarviki
