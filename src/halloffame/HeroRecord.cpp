// SPDX-License-Identifier: GPL-3.0-or-later
// The record's journal: a save and a read, step by step as docs/hall-of-fame.md tells them.
#include "halloffame/HeroRecord.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <thread>

#include "halloffame/RecordFileSystem.h"
#include "halloffame/RecordMessages.h"
#include "halloffame/RecordStorage.h"
#include "halloffame/RecordText.h"

namespace zarviki {

using namespace recordfs;
using recordsays::OldRecord;

namespace {

// The file names are Cyrillic throughout: и м я, and о _ с е б е.
const QString NameFile = QStringLiteral("\u0438\u043C\u044F");
const QString AboutFile = QStringLiteral("\u043E_\u0441\u0435\u0431\u0435");
const QString Files[2] = {NameFile, AboutFile};
const QString Journal = NameFile + QStringLiteral(".commit");
const QString Guard = NameFile + QStringLiteral(".guard");

QString temporary(const QString &file)
{
    return file + QStringLiteral(".new");
}

QString pathIn(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

const QByteArray Tag = QByteArrayLiteral("zarviki hero record 2\n");
constexpr qint64 ChecksumBytes = 65;  // SHA-256 in hexadecimal digits, and LF
// The longest journal a save writes: the tag, the sizes, both files at their longest, the checksum.
const qint64 MaxJournalBytes = Tag.size() + 16 + 2 * MaxRecordFileBytes + ChecksumBytes;

QByteArray checksum(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex() + '\n';
}

QByteArray journalOf(const QByteArray (&contents)[2])
{
    const QByteArray body = Tag + QByteArray::number(contents[0].size()) + ' '
                            + QByteArray::number(contents[1].size()) + '\n' + contents[0] + contents[1];
    return body + checksum(body);
}

// The folder, and the lock while it is held; what a save or a finishing read changed is kept
// once they are closed.
struct Opened {
    Folder folder;
    Handle lock = NoHandle;
    bool changed = false;
    ~Opened()
    {
        if (lock != NoHandle)
            calls.close(lock);
        if (folder.handle != NoHandle)
            calls.close(folder.handle);
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
    error = calls.makeFolder(up.folder, info.fileName());
    if (!error)
        error = calls.syncFolder(up.folder);
    *failed = path;
    return error && error != EEXIST ? error : openFolder(path, false, folder, failed);
}

int takeLock(Opened &at)
{
    const QDeadlineTimer deadline(RecordLockWaitMs);
    int error;
    while ((error = calls.lock(at.folder, Guard, &at.lock)) == EAGAIN && !deadline.hasExpired())
        std::this_thread::sleep_for(std::chrono::microseconds(500 + QRandomGenerator::global()->bounded(2000)));
    return error;
}

// Reads a regular file of at most `limit` bytes, or up to its first CR: EFBIG when it goes on. The
// file stays open where asked for, its identity told.
int readFile(const Folder &folder, const QString &name, qint64 limit, bool toCr, QByteArray *content,
             Handle *held = nullptr, Id *id = nullptr)
{
    Handle file = NoHandle;
    Id ignored;
    int error = calls.openFile(folder, name, &file, id ? id : &ignored);
    char chunk[64 * 1024];
    for (qint64 got = 1; !error && got > 0 && content->size() <= limit;) {
        error = calls.read(file, chunk, std::min<qint64>(sizeof chunk, limit + 1 - content->size()), &got);
        const void *cr = toCr && !error ? std::memchr(chunk, '\r', size_t(got)) : nullptr;
        if (!error)
            content->append(chunk, cr ? static_cast<const char *>(cr) - chunk + 1 : got);
        got = cr ? 0 : got;
    }
    if (!error && content->size() > limit)
        error = EFBIG;
    if (held)
        *held = file;
    else if (file != NoHandle)
        calls.close(file);
    return error;
}

struct Journaled {
    enum State { None, Whole, Wrong, Unread } state = None;
    QByteArray contents[2];
    int error = 0;
};

// A journal is whole, or proven wrong (a link, a folder, cut short, longer than it says, its
// checksum failed), or unread: an error proves nothing.
Journaled readJournal(const Folder &folder)
{
    Journaled journal;
    Entry entry;
    QByteArray bytes;
    if ((journal.error = calls.entry(folder, Journal, &entry)) || entry.kind == Kind::None) {
        journal.state = journal.error ? Journaled::Unread : Journaled::None;
        return journal;
    }
    journal.error = entry.kind == Kind::File ? readFile(folder, Journal, MaxJournalBytes, false, &bytes) : 0;
    journal.state = journal.error && journal.error != EFBIG ? Journaled::Unread : Journaled::Wrong;
    const qsizetype end = bytes.indexOf('\n', Tag.size());
    const QList<QByteArray> sizes = bytes.mid(Tag.size(), end - Tag.size()).split(' ');
    bool ok[2] = {false, false};
    const qint64 size[2] = {sizes.value(0).toLongLong(&ok[0]), sizes.value(1).toLongLong(&ok[1])};
    if (journal.error || !bytes.startsWith(Tag) || end < 0 || sizes.size() != 2 || !ok[0] || !ok[1])
        return journal;
    if (size[0] < 0 || size[1] < 0 || size[0] > MaxRecordFileBytes || size[1] > MaxRecordFileBytes
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
    if (error)
        return error;
    error = calls.write(file, bytes);
    if (!error)
        error = calls.sync(file);
    const int closed = calls.close(file);
    return error ? error : closed;
}

// Replaces both files from the journal's contents, each by a file of its own renamed over it, and
// puts the folder on the disk. On failure, the file it names; `renaming` once a rename was asked.
int replace(const Opened &at, const QByteArray (&contents)[2], QString *failed, bool *renaming)
{
    for (int i = 0; i < 2; ++i) {
        const QString temp = temporary(Files[i]);
        *failed = at.path(temp);
        int error = calls.remove(at.folder, temp);
        *failed = error ? *failed : at.path(Files[i]);
        if (!error && (error = writeFile(at.folder, temp, contents[i])))
            calls.remove(at.folder, temp);
        if (error)
            return error;
        *renaming = true;
        if ((error = calls.rename(at.folder, temp, Files[i])))
            return error;
    }
    *failed = at.folder.path;
    return calls.syncFolder(at.folder);
}

// With the lock held: finishes a whole journal or removes a wrong one.
int settle(Opened &at, const Journaled &journal, QString *failed)
{
    bool renaming = false;
    *failed = at.path(Journal);
    at.changed = at.changed || journal.state != Journaled::None;
    if (journal.state == Journaled::Unread)
        return journal.error;
    if (journal.state == Journaled::Whole)
        if (const int error = replace(at, journal.contents, failed, &renaming))
            return error;
    *failed = at.path(Journal);
    return journal.state == Journaled::None ? 0 : calls.remove(at.folder, Journal);
}

struct Shown {
    bool proven = false;
    std::optional<HeroRecord> record;
    bool nameStands = true;
};

// The pair as it stands: a whole journal's, or the files'. It is proven when the journal could be
// read and each file read still stands at its name after it, as it does while the lock is held.
Shown readPair(const Folder &folder)
{
    Handle held[2] = {NoHandle, NoHandle};
    Id ids[2];
    QByteArray bytes[2];
    int errors[2];
    for (int i = 0; i < 2; ++i)
        errors[i] = readFile(folder, Files[i], MaxRecordLineBytes + 1, true, &bytes[i], &held[i], &ids[i]);
    const Journaled journal = readJournal(folder);
    Shown shown{journal.state != Journaled::Unread, {}, errors[0] != ENOENT};
    for (int i = 0; i < 2; ++i) {
        Entry now;
        shown.proven = shown.proven && (held[i] == NoHandle || (!calls.entry(folder, Files[i], &now) && now.id == ids[i]));
        if (held[i] != NoHandle)
            calls.close(held[i]);
    }
    const bool whole = journal.state == Journaled::Whole;
    const std::optional<QString> name = firstRecordLine(whole ? journal.contents[0] : bytes[0]);
    const std::optional<QString> about = firstRecordLine(whole ? journal.contents[1] : bytes[1]);
    if (journal.state != Journaled::Unread && (whole || (!errors[0] && !errors[1])) && name && about)
        shown.record = HeroRecord{*name, *about};
    shown.proven = shown.proven || whole;
    return shown;
}

// Reads the record; where it may write and can take the lock, it settles a journal first. Without
// the lock it reads again until a read is proven, for as long as it would have waited for the lock.
std::optional<HeroRecord> readIn(const QString &folder, bool mayWrite, bool *nameStands)
{
    Opened at{{folder}};
    QString failed;
    *nameStands = false;
    if (calls.openFolder(folder, &at.folder.handle))
        return std::nullopt;
    const bool locked = mayWrite && !takeLock(at);
    if (locked)
        settle(at, readJournal(at.folder), &failed);
    const QDeadlineTimer deadline(RecordLockWaitMs);
    for (;;) {
        const Shown shown = readPair(at.folder);
        *nameStands = shown.nameStands;
        if (shown.proven || locked || deadline.hasExpired())
            return shown.proven || locked ? shown.record : std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

}  // namespace

QString heroRecordFolder()
{
    return recordFolder();
}

QString heroNamePath()
{
    return pathIn(recordFolder(), NameFile);
}

QString heroAboutPath()
{
    return pathIn(recordFolder(), AboutFile);
}

std::optional<HeroRecord> readHeroRecord(const QString &folder)
{
    bool nameStands = false;
    return readIn(folder, true, &nameStands);
}

std::optional<HeroRecord> readHeroRecord()
{
    bool nameStands = false;
    const std::optional<HeroRecord> record = readIn(recordFolder(), true, &nameStands);
    if (record || nameStands || olderRecordFolder().isEmpty())
        return record;
    return readIn(olderRecordFolder(), false, &nameStands);
}

QString saveHeroRecord(const QString &folder, const QString &name, const QString &about)
{
    const QByteArray contents[2] = {recordFileContent(name), recordFileContent(about)};
    const auto failing = [](const QString &what, OldRecord old = OldRecord::Intact) {
        return recordsays::saveFailed(what, old);
    };
    for (int i = 0; i < 2; ++i)
        if (contents[i].size() > MaxRecordFileBytes)
            return failing(recordsays::cannotWrite(pathIn(folder, Files[i]), EFBIG));
    Opened at{{folder}};
    QString failed;
    if (int error = openFolder(folder, true, &at.folder.handle, &failed))
        return failing(recordsays::cannotMakeFolder(failed, error));
    if (const int error = takeLock(at))
        return failing(error == EAGAIN ? recordsays::busy(RecordLockWaitMs) : recordsays::cannotOpenLock(at.path(Guard), error));
    const Journaled journal = readJournal(at.folder);
    if (const int error = settle(at, journal, &failed))
        return failing(recordsays::cannotSettle(failed, error, journal.state == Journaled::Unread));
    // A folder in a file's place would stop the replacement half way: found before the journal.
    for (const QString &file : Files) {
        Entry entry;
        if (!calls.entry(at.folder, file, &entry) && entry.kind == Kind::Folder)
            return failing(recordsays::cannotWrite(at.path(file), EISDIR));
    }
    at.changed = true;
    failed = at.path(Journal);
    int error = writeFile(at.folder, Journal, journalOf(contents));
    if (!error && (error = calls.syncFolder(at.folder)))
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
    return failing(recordsays::cannotWrite(failed, error), old);
}

QString saveHeroRecord(const QString &name, const QString &about)
{
    return saveHeroRecord(recordFolder(), name, about);
}

}  // namespace zarviki
