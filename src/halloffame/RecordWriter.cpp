// SPDX-License-Identifier: GPL-3.0-or-later
#include "halloffame/RecordWriter.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>

#include "halloffame/RecordPair.h"
#include "halloffame/RecordText.h"

namespace zarviki {

using recordfs::Kind;

namespace {

QString folderOf(const QString &path)
{
    return QFileInfo(path).absolutePath();
}

// Makes the folder and any folder above it that is missing, each put on the disk in its parent;
// on failure tells which folder could not be made. Anything already at a path is left to the
// file's own open.
int makeFolders(const QString &folder, QString *failed)
{
    QStringList missing;
    QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    while (recordfs::kindOf(path) == Kind::None) {
        missing.prepend(path);
        const QString up = QFileInfo(path).path();
        if (up == path)
            break;
        path = up;
    }
    // Windows says only that the path is not found when a file stands where a folder should be.
    if (!missing.isEmpty() && !QFileInfo(path).isDir()) {
        *failed = missing.first();
        return ENOTDIR;
    }
    for (const QString &one : std::as_const(missing)) {
        int error = recordfs::makeFolder(one);
        if (error == EEXIST)
            continue;
        if (!error)
            error = recordfs::syncFolder(folderOf(one));
        if (error) {
            *failed = one;
            return error;
        }
    }
    return 0;
}

}  // namespace

RecordWriter::RecordWriter(const QString &namePath, const QString &aboutPath) : m_lock(namePath)
{
    m_files[NameFile].target = namePath;
    m_files[AboutFile].target = aboutPath;
}

// A save not carried to its end leaves the old record as it was: without a marker that names them,
// its staged files can never become the record, so a failure to remove them does no harm.
RecordWriter::~RecordWriter()
{
    abandon();
}

void RecordWriter::abandon()
{
    for (Staged &staged : m_files) {
        if (staged.handle != recordfs::NoHandle)
            recordfs::closeFile(staged.handle);
        staged.handle = recordfs::NoHandle;
        staged.closed = false;
        if (!staged.staged.isEmpty())
            recordfs::removeEntry(staged.staged);
        staged.staged.clear();
    }
    m_lock.release();
}

bool RecordWriter::failWith(const QString &path, const QString &whatFailed)
{
    m_failedPath = path;
    m_whatFailed = whatFailed;
    abandon();
    return false;
}

bool RecordWriter::fail(const QString &path, int error)
{
    m_error = failureReason(error);
    return failWith(path, recordsays::cannotWrite(path, error));
}

// A marker that cannot be removed is emptied, which no longer names the pair; only when neither
// can be done may the next read still finish this save.
void RecordWriter::takeBackMarker()
{
    const QString marker = markerPath(m_files[NameFile].target);
    if (recordfs::removeEntry(marker) && recordfs::emptyFile(marker))
        m_oldRecord = recordsays::OldRecord::MayYetBeReplaced;
}

bool RecordWriter::open(File file)
{
    Staged &staged = m_files[file];
    QString folder;
    if (const int error = makeFolders(folderOf(staged.target), &folder)) {
        m_error = failureReason(error);
        return failWith(folder, recordsays::cannotMakeFolder(folder, error));
    }
    if (!QFileInfo(folderOf(staged.target)).isDir())
        return fail(staged.target, ENOTDIR);
    if (file == NameFile) {
        if (m_lock.acquire() != RecordLock::Held)
            return failWith(recordLockPath(staged.target), m_lock.whatFailed());
        QString failed;
        if (const int error = settlePair(m_files[NameFile].target, m_files[AboutFile].target, &failed)) {
            m_error = failureReason(error);
            return failWith(failed, recordsays::cannotSettle(failed, error));
        }
    }
    // Whatever stands at the staged path goes first: a file, a link, a pipe or a folder.
    const QString path = stagedPath(staged.target);
    if (const int error = recordfs::removeEntry(path))
        return fail(path, error);
    if (const int error = recordfs::createForWriting(path, &staged.handle))
        return fail(staged.target, error);
    staged.staged = path;
    staged.content.clear();
    recordfs::keepPermissions(staged.handle, staged.target);
    return true;
}

bool RecordWriter::writeLine(File file, const QString &text)
{
    Staged &staged = m_files[file];
    if (staged.handle == recordfs::NoHandle)
        return fail(staged.target, EBADF);
    const QByteArray content = recordFileContent(text);
    if (staged.content.size() + content.size() > MaxRecordFileBytes)
        return fail(staged.target, EFBIG);
    if (const int error = recordfs::writeAll(staged.handle, content))
        return fail(staged.target, error);
    staged.content += content;
    return true;
}

bool RecordWriter::close(File file)
{
    Staged &staged = m_files[file];
    if (staged.handle == recordfs::NoHandle)
        return fail(staged.target, EBADF);
    int error = recordfs::syncFile(staged.handle);
    if (const int closed = recordfs::closeFile(staged.handle); !error)
        error = closed;
    staged.handle = recordfs::NoHandle;
    if (error)
        return fail(staged.target, error);
    staged.closed = true;
    return true;
}

bool RecordWriter::replace()
{
    Staged &name = m_files[NameFile];
    Staged &about = m_files[AboutFile];
    if (!name.closed || !about.closed)
        return fail(name.closed ? about.target : name.target, EBADF);

    // A folder in a target's place would stop its replacement half way: found before the marker.
    for (const Staged *staged : {&name, &about})
        if (recordfs::kindOf(staged->target) == Kind::Folder)
            return fail(staged->target, EISDIR);

    // The marker: from here on the save is finished even if the game is killed.
    const QString marker = markerPath(name.target);
    const QString folder = folderOf(name.target);
    QString failed = marker;
    recordfs::Handle handle = recordfs::NoHandle;
    int error = recordfs::removeEntry(marker);
    if (!error && !(error = recordfs::createForWriting(marker, &handle))) {
        error = recordfs::writeAll(handle, markerContent(name.content, about.content));
        if (!error)
            error = recordfs::syncFile(handle);
        if (const int closed = recordfs::closeFile(handle); !error)
            error = closed;
    }
    if (!error && (error = recordfs::syncFolder(folder)))
        failed = folder;
    if (!error && (error = recordfs::renameOver(name.staged, name.target)))
        failed = name.target;
    if (error) {
        takeBackMarker();
        return fail(failed, error);
    }
    name.staged.clear();

    // The new name is in place: from here on only finishing is left. The marker stays on a
    // failure, so that the next read or save finishes the pair, and it reads the new pair till then.
    m_oldRecord = recordsays::OldRecord::Replaced;
    if ((error = recordfs::renameOver(about.staged, about.target))) {
        about.staged.clear();
        return fail(about.target, error);
    }
    about.staged.clear();
    if ((error = recordfs::syncFolder(folder)))
        return fail(folder, error);
    recordfs::removeEntry(marker);  // one left over matches the record, and goes at the next read
    name.closed = about.closed = false;
    m_lock.release();
    return true;
}

}  // namespace zarviki
