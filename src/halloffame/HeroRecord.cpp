// SPDX-License-Identifier: GPL-3.0-or-later
// The record's journal: a save and a read, step by step as docs/hall-of-fame.md tells them.
#include "halloffame/HeroRecord.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <thread>

#include "halloffame/RecordFileSystem.h"
#include "halloffame/RecordMessages.h"
#include "halloffame/RecordStorage.h"
#include "halloffame/RecordText.h"

namespace zarviki {

using namespace recordfs;
using namespace recordsays;

namespace {

// The file names are Cyrillic throughout: и м я, and о _ с е б е.
const QString NameFile = QStringLiteral("\u0438\u043C\u044F");
const QString Files[2] = {NameFile, QStringLiteral("\u043E_\u0441\u0435\u0431\u0435")};
const QString Journal = NameFile + QStringLiteral(".commit");
const QString Guard = NameFile + QStringLiteral(".guard");

const QByteArray Tag = QByteArrayLiteral("zarviki hero record 2\n");
constexpr qint64 ChecksumBytes = 65;  // SHA-256 in hexadecimal digits, and LF
// The longest journal a save writes: the tag, the sizes, both files at their longest, the checksum.
const qint64 MaxJournalBytes = Tag.size() + 16 + 2 * MaxRecordFileBytes + ChecksumBytes;

QString pathIn(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

QByteArray checksum(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex() + '\n';
}

// The folder, and the lock while it is held; what a save or a read changed is kept once they are
// closed.
struct Opened {
    Folder folder;
    Handle lock = NoHandle;
    bool changed = false;
    ~Opened()
    {
        for (const Handle handle : {lock, folder.handle})
            if (handle != NoHandle)
                calls.close(handle);
        if (changed)
            keepFolder(folder.path);
    }
    QString path(const QString &name) const { return pathIn(folder.path, name); }
};

// Opens the folder; for a save, first makes it and any folder missing above it, each put on the
// disk in its parent. On failure, which folder could not be opened or made.
int openFolder(const QString &path, bool make, Handle *folder, QString *failed)
{
    int error = calls.openFolder(path, folder);
    const QFileInfo info(path);
    *failed = path;
    if (!make || (error != ENOENT && error != ENOTDIR) || info.path() == path)
        return error;
    Opened up{{info.path()}};
    if ((error = openFolder(up.folder.path, true, &up.folder.handle, failed)))
        return error;
    if (!(error = calls.makeFolder(up.folder, info.fileName())))
        error = calls.syncFolder(up.folder);
    *failed = path;
    return error && error != EEXIST ? error : openFolder(path, false, folder, failed);
}

int takeLock(Opened &at)
{
    const QDeadlineTimer deadline(RecordLockWaitMs);
    int error;
    while ((error = calls.lock(at.folder, Guard, &at.lock)) == EAGAIN && !deadline.hasExpired())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return error;
}

// Reads a regular file of at most `limit` bytes, or up to its first CR: EFBIG when it goes on. The
// file stays open where asked for, and what it is told.
int readFile(const Folder &folder, const QString &name, qint64 limit, bool toCr, QByteArray *content,
             Handle *held = nullptr, Entry *entry = nullptr)
{
    Handle file = NoHandle;
    Entry opened;
    int error = calls.openFile(folder, name, &file, entry ? entry : &opened);
    char chunk[64 * 1024];
    for (qint64 got = 1; !error && got > 0 && content->size() <= limit;) {
        error = calls.read(file, chunk, std::min<qint64>(sizeof chunk, limit + 1 - content->size()), &got);
        const void *cr = toCr && !error ? std::memchr(chunk, '\r', size_t(got)) : nullptr;
        content->append(chunk, error ? 0 : cr ? static_cast<const char *>(cr) - chunk + 1 : got);
        got = cr ? 0 : got;
    }
    if (held)
        *held = file;
    else if (file != NoHandle)
        calls.close(file);
    return !error && content->size() > limit ? EFBIG : error;
}

struct Journaled {
    enum State { None, Whole, Wrong, Unread } state = None;
    QByteArray contents[2];
    int error = 0;
};

// A journal is whole, or proven wrong (a link, a folder, cut short, longer than it says, its
// checksum failed, longer than any a save writes), or unread: an error proves nothing.
Journaled readJournal(const Folder &folder)
{
    Journaled journal;
    Entry entry;
    QByteArray bytes;
    journal.error = calls.entry(folder, Journal, &entry);
    if (!journal.error && entry.kind == Kind::File)
        journal.error = readFile(folder, Journal, MaxJournalBytes, false, &bytes);
    journal.state = journal.error && journal.error != EFBIG ? Journaled::Unread
                    : entry.kind == Kind::None              ? Journaled::None
                                                            : Journaled::Wrong;
    const qsizetype end = bytes.indexOf('\n', Tag.size());
    const QList<QByteArray> sizes = bytes.mid(Tag.size(), end - Tag.size()).split(' ');
    const qint64 size[2] = {sizes.value(0).toLongLong(), sizes.value(1).toLongLong()};
    if (journal.state != Journaled::Wrong || journal.error || !bytes.startsWith(Tag) || end < 0 || sizes.size() != 2
        || std::min(size[0], size[1]) < 0 || std::max(size[0], size[1]) > MaxRecordFileBytes
        || bytes.size() != end + 1 + size[0] + size[1] + ChecksumBytes
        || checksum(QByteArrayView(bytes).chopped(ChecksumBytes)) != QByteArrayView(bytes).last(ChecksumBytes))
        return journal;
    journal.contents[0] = bytes.mid(end + 1, size[0]);
    journal.contents[1] = bytes.mid(end + 1 + size[0], size[1]);
    journal.state = Journaled::Whole;
    return journal;
}

int writeFile(const Folder &folder, const QString &name, QByteArrayView bytes)
{
    Handle file = NoHandle;
    int error = calls.create(folder, name, &file);
    if (!error && !(error = calls.write(file, bytes)))
        error = calls.sync(file);
    const int closed = file == NoHandle ? 0 : calls.close(file);
    return error ? error : closed;
}

// Replaces both files from the journal's contents, each by a file of its own renamed over it, and
// puts the folder on the disk. On failure, the file it names; `renaming` once a rename was asked.
int replace(const Opened &at, const QByteArray (&contents)[2], QString *failed, bool *renaming)
{
    for (int i = 0; i < 2; ++i) {
        const QString temp = Files[i] + QStringLiteral(".new");
        int error = calls.remove(at.folder, temp);
        *failed = at.path(error ? temp : Files[i]);
        if (!error && (error = writeFile(at.folder, temp, contents[i])))
            calls.remove(at.folder, temp);
        *renaming = *renaming || !error;
        if (error || (error = calls.rename(at.folder, temp, Files[i])))
            return error;
    }
    *failed = at.folder.path;
    return calls.syncFolder(at.folder);
}

// With the lock held: finishes a whole journal or removes a wrong one.
int settle(Opened &at, const Journaled &journal, QString *failed)
{
    bool renaming = false;
    at.changed = at.changed || journal.state != Journaled::None;
    int error = journal.state == Journaled::Whole ? replace(at, journal.contents, failed, &renaming) : 0;
    if (error)
        return error;
    *failed = at.path(Journal);
    return journal.state == Journaled::Unread ? journal.error
           : journal.state == Journaled::None ? 0
                                              : calls.remove(at.folder, Journal);
}

// The pair as it stands: a whole journal's, or the files'. The pair is proven when the journal could
// be read and each file read still stands at its name after it, as it does while the lock is held:
// no save then stood between its renames. On failure it says whether the hero-name file stands.
struct Shown {
    bool proven = false, nameStands = false;
    std::optional<HeroRecord> record;
};

Shown readPair(const Folder &folder)
{
    Handle held[2] = {NoHandle, NoHandle};
    Entry files[2], now;
    QByteArray bytes[2];
    int errors[2];
    for (int i = 0; i < 2; ++i)
        errors[i] = readFile(folder, Files[i], MaxRecordLineBytes + 1, true, &bytes[i], &held[i], &files[i]);
    const Journaled journal = readJournal(folder);
    const bool whole = journal.state == Journaled::Whole;
    Shown shown{journal.state != Journaled::Unread, errors[0] != ENOENT, {}};
    for (int i = 0; i < 2; ++i)
        if (held[i] != NoHandle)
            shown.proven = shown.proven && !calls.entry(folder, Files[i], &now) && now == files[i], calls.close(held[i]);
    const std::optional<QString> name = firstRecordLine(whole ? journal.contents[0] : bytes[0]);
    const std::optional<QString> about = firstRecordLine(whole ? journal.contents[1] : bytes[1]);
    if (journal.state != Journaled::Unread && (whole || (!errors[0] && !errors[1])) && name && about)
        shown.record = HeroRecord{*name, *about};
    shown.proven = shown.proven || whole;
    return shown;
}

// Reads the record; where it may write and can take the lock, it settles a journal first. Without
// the lock it reads again until a read is proven, for as long as it would have waited for the lock.
Shown readIn(const QString &folder, bool mayWrite)
{
    Opened at{{folder}};
    QString failed;
    if (calls.openFolder(folder, &at.folder.handle))
        return {};
    const bool locked = mayWrite && !takeLock(at);
    if (locked)
        settle(at, readJournal(at.folder), &failed);
    for (const QDeadlineTimer deadline(RecordLockWaitMs);; std::this_thread::sleep_for(std::chrono::milliseconds(1)))
        if (Shown shown = readPair(at.folder); shown.proven || locked || deadline.hasExpired())
            return shown.proven || locked ? shown : Shown{false, shown.nameStands, {}};
}

}  // namespace

QString heroNamePath() { return pathIn(recordFolder(), Files[0]); }

QString heroAboutPath() { return pathIn(recordFolder(), Files[1]); }

std::optional<HeroRecord> readHeroRecord(const QString &folder) { return readIn(folder, true).record; }

std::optional<HeroRecord> readHeroRecord()
{
    const Shown shown = readIn(recordFolder(), true);
    return shown.record || shown.nameStands || olderRecordFolder().isEmpty() ? shown.record : readIn(olderRecordFolder(), false).record;
}

QString saveHeroRecord(const QString &folder, const QString &name, const QString &about)
{
    const QByteArray contents[2] = {recordFileContent(name), recordFileContent(about)};
    const auto intact = [](const QString &whatFailed) { return saveFailed(whatFailed, OldRecord::Intact); };
    if (const int i = contents[0].size() > MaxRecordFileBytes ? 0 : 1; contents[i].size() > MaxRecordFileBytes)
        return intact(cannot(CannotWrite, pathIn(folder, Files[i]), EFBIG));
    Opened at{{folder}};
    QString failed;
    if (const int error = openFolder(folder, true, &at.folder.handle, &failed))
        return intact(cannot(CannotMakeFolder, failed, error));
    if (const int error = takeLock(at))
        return intact(error == EAGAIN ? QString::fromUtf8(Busy).arg(RecordLockWaitMs / 1000) : cannot(CannotOpenLock, at.path(Guard), error));
    const Journaled journal = readJournal(at.folder);
    if (const int error = settle(at, journal, &failed))
        return intact(cannot(CannotSettle, failed, error, journal.state == Journaled::Unread));
    // A folder in a file's place would stop the replacement half way: found before the journal.
    for (const QString &file : Files)
        if (Entry entry; !calls.entry(at.folder, file, &entry) && entry.kind == Kind::Folder)
            return intact(cannot(CannotWrite, at.path(file), EISDIR));
    at.changed = true;
    const QByteArray body = Tag + QByteArray::number(contents[0].size()) + ' ' + QByteArray::number(contents[1].size())
                            + '\n' + contents[0] + contents[1];
    failed = at.path(Journal);
    int error;
    if (!(error = writeFile(at.folder, Journal, body + checksum(body))) && (error = calls.syncFolder(at.folder)))
        failed = folder;
    bool renaming = false;
    if (!error && !(error = replace(at, contents, &failed, &renaming))) {
        calls.remove(at.folder, Journal);  // one left behind holds the record, and goes at the next read
        return {};
    }
    // Before its first rename a save can be taken back whole; after it, the journal finishes it.
    const OldRecord old = renaming                             ? OldRecord::MayBeReplaced
                          : calls.remove(at.folder, Journal) ? OldRecord::MayYetBeReplaced
                                                               : OldRecord::Intact;
    return saveFailed(cannot(CannotWrite, failed, error), old);
}

QString saveHeroRecord(const QString &name, const QString &about)
{
    return saveHeroRecord(recordFolder(), name, about);
}

}  // namespace zarviki
