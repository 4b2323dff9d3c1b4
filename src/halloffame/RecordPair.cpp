// SPDX-License-Identifier: GPL-3.0-or-later
#include "halloffame/RecordPair.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>

#include "halloffame/RecordLock.h"
#include "halloffame/RecordReader.h"
#include "halloffame/RecordText.h"

namespace zarviki {

using recordfs::Kind;

namespace {

QString folderOf(const QString &path)
{
    return QFileInfo(path).absolutePath();
}

bool exists(const QString &path)
{
    return recordfs::kindOf(path) != Kind::None;
}

const QByteArray MarkerTag = QByteArrayLiteral("zarviki hero record");

std::optional<HeroRecord> readPair(const QString &namePath, const QString &aboutPath)
{
    const std::optional<QString> name = readRecordFile(namePath);
    const std::optional<QString> about = name ? readRecordFile(aboutPath) : std::nullopt;
    if (!about)
        return std::nullopt;
    return HeroRecord{*name, *about};
}

}  // namespace

QString stagedPath(const QString &target)
{
    return target + QStringLiteral(".new");
}

QString markerPath(const QString &namePath)
{
    return namePath + QStringLiteral(".commit");
}

// The marker names the pair it commits: each file's size and SHA-256, the hero-name file first.
QByteArray markerContent(const QByteArray &name, const QByteArray &about)
{
    QByteArray marker = MarkerTag + '\n';
    for (const QByteArray *content : {&name, &about})
        marker += QByteArray::number(content->size()) + ' '
                  + QCryptographicHash::hash(*content, QCryptographicHash::Sha256).toHex() + '\n';
    return marker;
}

std::optional<std::pair<QString, QString>> markedPair(const QString &namePath, const QString &aboutPath)
{
    const std::optional<QByteArray> marker = readWholeFile(markerPath(namePath), 4096);
    if (!marker)
        return std::nullopt;
    const QList<QByteArray> lines = marker->split('\n');
    if (lines.size() != 4 || lines.at(0) != MarkerTag)
        return std::nullopt;
    QString files[2];
    QByteArray contents[2];
    for (int i = 0; i < 2; ++i) {
        const QString target = i == 0 ? namePath : aboutPath;
        files[i] = exists(stagedPath(target)) ? stagedPath(target) : target;
        bool ok = false;
        const qint64 size = lines.at(i + 1).split(' ').value(0).toLongLong(&ok);
        const std::optional<QByteArray> content = ok && size >= 0 ? readWholeFile(files[i], size) : std::nullopt;
        if (!content)
            return std::nullopt;
        contents[i] = *content;
    }
    if (markerContent(contents[0], contents[1]) != *marker)
        return std::nullopt;
    return std::pair(files[0], files[1]);
}

int settlePair(const QString &namePath, const QString &aboutPath, QString *failed)
{
    const QString marker = markerPath(namePath);
    const QString targets[2] = {namePath, aboutPath};
    if (exists(marker) || exists(stagedPath(namePath)) || exists(stagedPath(aboutPath))) {
        int error = 0;
        if (const auto marked = markedPair(namePath, aboutPath)) {
            const QString files[2] = {marked->first, marked->second};
            for (int i = 0; i < 2 && !error; ++i)
                if (files[i] != targets[i] && (error = recordfs::renameOver(files[i], targets[i])))
                    *failed = targets[i];
            if (!error && (error = recordfs::syncFolder(folderOf(namePath))))
                *failed = folderOf(namePath);
        } else {
            for (int i = 0; i < 2 && !error; ++i)
                if ((error = recordfs::removeEntry(stagedPath(targets[i]))))
                    *failed = stagedPath(targets[i]);
        }
        if (!error && (error = recordfs::removeEntry(marker)))
            *failed = marker;
        if (error)
            return error;
    }
    removeLeftovers(namePath, aboutPath);
    return 0;
}

void removeLeftovers(const QString &namePath, const QString &aboutPath)
{
    for (const QString &target : {namePath, aboutPath}) {
        const QFileInfo info(target);
        const QString base = info.fileName() + QLatin1Char('.');
        const QStringList found =
            QDir(info.absolutePath())
                .entryList({base + QStringLiteral("??????"), base + QStringLiteral("old-*")},
                           QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        for (const QString &entry : found) {
            const QString suffix = entry.mid(base.size());
            const bool temporary = suffix.size() == 6 && suffix != QLatin1String("commit")
                                   && std::all_of(suffix.begin(), suffix.end(),
                                                  [](QChar c) { return c.isLetterOrNumber() && c.unicode() < 0x80; });
            if (temporary || suffix.startsWith(QLatin1String("old-")))
                recordfs::removeEntry(info.absolutePath() + QLatin1Char('/') + entry);
        }
    }
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

}  // namespace zarviki
