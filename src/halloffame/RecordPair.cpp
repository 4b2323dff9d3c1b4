// SPDX-License-Identifier: GPL-3.0-or-later
#include "halloffame/RecordPair.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QList>
#include <cerrno>
#include <chrono>
#include <thread>

#include "halloffame/RecordFileSystem.h"
#include "halloffame/RecordLock.h"
#include "halloffame/RecordReader.h"
#include "halloffame/RecordText.h"

namespace zarviki {

using recordfs::Kind;

namespace {

const QByteArray MarkerTag = QByteArrayLiteral("zarviki hero record");
// A marker is a line and two short ones; anything longer is none of the game's.
constexpr qint64 MaxMarkerBytes = 4096;

QString folderOf(const QString &path)
{
    return QFileInfo(path).absolutePath();
}

bool stands(const QString &path)
{
    return recordfs::kindOf(path) != Kind::None;
}

// What the marker beside the record shows.
struct Marked {
    enum Verdict {
        None,    // no marker
        Whole,   // read whole, and the two files hold the very pair it names
        Wrong,   // not the game's, or the files beside it are not the pair it names
        Unread,  // something it takes to tell could not be read
    };
    Verdict verdict = None;
    QString files[2];        // Whole: the files that hold the pair, each staged or its target
    QByteArray contents[2];  // Whole: what they hold
    QString failed;          // Unread: what could not be read, and why
    int error = 0;
};

// Errors that tell what stands at a path is none of the game's files: a link, something that is no
// regular file, or a file longer than any the marker may name. Any other is a failed read.
bool notTheGames(int error)
{
    return error == ELOOP || error == EINVAL || error == EISDIR || error == EFBIG;
}

Marked readMarked(const QString &namePath, const QString &aboutPath)
{
    Marked marked;
    const auto unread = [&marked](const QString &path, int error) {
        marked.verdict = Marked::Unread;
        marked.failed = path;
        marked.error = error;
        return marked;
    };
    const auto wrong = [&marked] {
        marked.verdict = Marked::Wrong;
        return marked;
    };
    QByteArray marker;
    if (const int error = readWholeFile(markerPath(namePath), MaxMarkerBytes, &marker))
        return error == ENOENT ? marked : notTheGames(error) ? wrong() : unread(markerPath(namePath), error);
    const QList<QByteArray> lines = marker.split('\n');
    if (lines.size() != 4 || lines.at(0) != MarkerTag)
        return wrong();
    for (int i = 0; i < 2; ++i) {
        const QString target = i == 0 ? namePath : aboutPath;
        // The size stated is never trusted beyond what a save may write.
        bool ok = false;
        const qint64 size = lines.at(i + 1).split(' ').value(0).toLongLong(&ok);
        if (!ok || size < 0 || size > MaxRecordFileBytes)
            return wrong();
        QString file = stagedPath(target);
        int error = readWholeFile(file, size, &marked.contents[i]);
        if (error == ENOENT)
            error = readWholeFile(file = target, size, &marked.contents[i]);
        if (error)
            return error == ENOENT || notTheGames(error) ? wrong() : unread(file, error);
        marked.files[i] = file;
    }
    if (markerContent(marked.contents[0], marked.contents[1]) != marker)
        return wrong();
    marked.verdict = Marked::Whole;
    return marked;
}

// The pair as it stands: the one a whole marker names, or the targets. A marker that cannot be read
// shows no pair while the save it may name stands between its two renames.
std::optional<HeroRecord> shownPair(const QString &namePath, const QString &aboutPath)
{
    const Marked marked = readMarked(namePath, aboutPath);
    if (marked.verdict == Marked::Whole) {
        const std::optional<QString> name = firstRecordLine(marked.contents[0]);
        const std::optional<QString> about = firstRecordLine(marked.contents[1]);
        return name && about ? std::optional(HeroRecord{*name, *about}) : std::nullopt;
    }
    if (marked.verdict == Marked::Unread && stands(stagedPath(aboutPath)) && !stands(stagedPath(namePath)))
        return std::nullopt;
    const std::optional<QString> name = readRecordFile(namePath);
    const std::optional<QString> about = name ? readRecordFile(aboutPath) : std::nullopt;
    return about ? std::optional(HeroRecord{*name, *about}) : std::nullopt;
}

// The pair read without the lock: every entry a save touches is pinned and stamped before, and read
// again after; the pair counts only when none of them changed meanwhile.
std::optional<HeroRecord> readUnlocked(const QString &namePath, const QString &aboutPath)
{
    const QString paths[5] = {namePath, aboutPath, markerPath(namePath), stagedPath(namePath),
                              stagedPath(aboutPath)};
    const QDeadlineTimer deadline(RecordLockWaitMs);
    do {
        recordfs::Handle pins[5];
        std::optional<recordfs::Stamp> before[5];
        for (int i = 0; i < 5; ++i)
            before[i] = recordfs::pinEntry(paths[i], &pins[i]);
        const std::optional<HeroRecord> record = shownPair(namePath, aboutPath);
        bool still = true;
        for (int i = 0; i < 5; ++i) {
            still = still && before[i] && before[i] == recordfs::stampOf(paths[i]);
            recordfs::unpin(pins[i]);
        }
        if (still)
            return record;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    } while (!deadline.hasExpired());
    return std::nullopt;
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

int settlePair(const QString &namePath, const QString &aboutPath, QString *failed)
{
    const Marked marked = readMarked(namePath, aboutPath);
    const QString marker = markerPath(namePath);
    const QString folder = folderOf(namePath);
    const QString targets[2] = {namePath, aboutPath};
    const auto failing = [failed](const QString &path, int error) {
        if (error)
            *failed = path;
        return error;
    };
    int error = 0;
    switch (marked.verdict) {
    case Marked::Unread:
        return failing(marked.failed, marked.error);
    case Marked::Whole:
        // The killed game may not have put its marker on the disk: it goes there, with the files
        // it names, before anything is renamed.
        error = failing(marker, recordfs::syncFileAt(marker));
        for (int i = 0; i < 2 && !error; ++i)
            if (marked.files[i] != targets[i])
                error = failing(marked.files[i], recordfs::syncFileAt(marked.files[i]));
        if (!error)
            error = failing(folder, recordfs::syncFolder(folder));
        for (int i = 0; i < 2 && !error; ++i)
            if (marked.files[i] != targets[i])
                error = failing(targets[i], recordfs::renameOver(marked.files[i], targets[i]));
        if (!error)
            error = failing(folder, recordfs::syncFolder(folder));
        break;
    case Marked::None:
    case Marked::Wrong:
        for (int i = 0; i < 2 && !error; ++i)
            error = failing(stagedPath(targets[i]), recordfs::removeEntry(stagedPath(targets[i])));
        break;
    }
    return error ? error : failing(marker, recordfs::removeEntry(marker));
}

std::optional<HeroRecord> readHeroRecord(const QString &namePath, const QString &aboutPath)
{
    RecordLock lock(namePath);
    if (lock.acquire() != RecordLock::Held)
        return readUnlocked(namePath, aboutPath);
    QString failed;
    settlePair(namePath, aboutPath, &failed);
    return shownPair(namePath, aboutPath);
}

}  // namespace zarviki
