// SPDX-License-Identifier: GPL-3.0-or-later
#include "halloffame/RecordFileSystem.h"

#include <QCryptographicHash>
#include <QDir>
#include <QSet>
#include <QStandardPaths>
#include <cerrno>
#include <windows.h>

namespace zarviki::recordfs {

namespace {

std::wstring native(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

HANDLE win(Handle handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

// Not named in every SDK's headers.
constexpr DWORD ErrorDiskQuotaExceeded = 1295;

// The same failure categories as on POSIX, so that the same Russian sentence explains it.
int errorFrom(DWORD error)
{
    switch (error) {
    case ERROR_SUCCESS:
        return 0;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_PRIVILEGE_NOT_HELD:
        return EACCES;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ErrorDiskQuotaExceeded:
#ifdef EDQUOT
        return EDQUOT;
#else
        return ENOSPC;
#endif
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
        return ENOENT;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_DIR_NOT_EMPTY:
        return ENOTEMPTY;
    case ERROR_LOCK_VIOLATION:
    case ERROR_IO_PENDING:
        return EAGAIN;
    case ERROR_BUSY:
        return EBUSY;
    default:
        return EIO;
    }
}

int lastError()
{
    return errorFrom(GetLastError());
}

int opened(HANDLE h, Handle *handle)
{
    if (h == INVALID_HANDLE_VALUE) {
        *handle = NoHandle;
        return lastError();
    }
    *handle = reinterpret_cast<Handle>(h);
    return 0;
}

// Other games may read, replace and remove a record file while it is open here.
constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens the entry itself, a link or a folder included, never what a link points at.
HANDLE openEntry(const QString &path, DWORD access, DWORD disposition)
{
    return CreateFileW(native(path).c_str(), access, ShareAll, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

// A regular file opened by openEntry, or why not: a link is ELOOP, a folder or a device EINVAL.
int regularFile(HANDLE h)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(h, &info))
        return lastError();
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return ELOOP;
    return info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY || GetFileType(h) != FILE_TYPE_DISK ? EINVAL : 0;
}

int openRegular(const QString &path, DWORD access, DWORD disposition, Handle *handle)
{
    if (const int error = opened(openEntry(path, access, disposition), handle))
        return error;
    if (const int error = regularFile(win(*handle))) {
        CloseHandle(win(*handle));
        *handle = NoHandle;
        return error;
    }
    return 0;
}

}  // namespace

QString recordFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

// Older versions kept the record in the root of drive C, where a standard user cannot write; it is
// still read there until a record of the new place exists.
QString olderRecordFolder()
{
    return QStringLiteral("C:/");
}

Kind kindOf(const QString &path)
{
    const DWORD attributes = GetFileAttributesW(native(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return errorFrom(GetLastError()) == ENOENT ? Kind::None : Kind::Other;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return Kind::Other;
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? Kind::Folder : Kind::File;
}

int openForReading(const QString &path, Handle *handle)
{
    *handle = NoHandle;
    if (const int error = faultAt("open", path))
        return error;
    return openRegular(path, GENERIC_READ, OPEN_EXISTING, handle);
}

int readSome(Handle handle, char *buffer, qint64 size, qint64 *got)
{
    *got = -1;
    if (const int error = faultAt("read", {}))
        return error;
    DWORD n = 0;
    const BOOL ok = ReadFile(win(handle), buffer, DWORD(qMin<qint64>(size, 1 << 30)), &n, nullptr);
    *got = ok ? qint64(n) : -1;
    return ok ? 0 : lastError();
}

int createForWriting(const QString &path, Handle *handle)
{
    // CREATE_NEW fails on anything already at the path, a link included.
    const int error = opened(CreateFileW(native(path).c_str(), GENERIC_WRITE, ShareAll, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr),
                             handle);
    if (!error)
        done("create", path);
    return error;
}

int writeAll(Handle handle, QByteArrayView bytes)
{
    if (const int error = faultAt("write", {}))
        return error;
    for (qsizetype written = 0; written < bytes.size();) {
        DWORD n = 0;
        const DWORD chunk = DWORD(qMin<qsizetype>(bytes.size() - written, 1 << 30));
        if (!WriteFile(win(handle), bytes.data() + written, chunk, &n, nullptr))
            return lastError();
        if (n == 0)
            return ENOSPC;
        written += n;
    }
    done("write", {});
    return 0;
}

void keepPermissions(Handle, const QString &)
{
}

namespace {

// The one place a file is put on the disk.
int syncAndTell(Handle handle, const QString &path)
{
    if (!FlushFileBuffers(win(handle)))
        return lastError();
    done("sync", path);
    return 0;
}

}  // namespace

int syncFile(Handle handle)
{
    return syncAndTell(handle, {});
}

int syncFileAt(const QString &path)
{
    Handle handle = NoHandle;
    if (const int error = openRegular(path, GENERIC_WRITE, OPEN_EXISTING, &handle))
        return error;
    const int synced = syncAndTell(handle, path);
    const int closed = CloseHandle(win(handle)) ? 0 : lastError();
    return synced ? synced : closed;
}

int closeFile(Handle handle)
{
    if (!CloseHandle(win(handle)))
        return lastError();
    done("close", {});
    return 0;
}

void closeAfterReading(Handle handle)
{
    CloseHandle(win(handle));
}

int emptyFile(const QString &path)
{
    Handle handle = NoHandle;
    if (const int error = opened(CreateFileW(native(path).c_str(), GENERIC_WRITE, ShareAll, nullptr,
                                             TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
                                 &handle))
        return error;
    const int flushed = FlushFileBuffers(win(handle)) ? 0 : lastError();
    const int closed = CloseHandle(win(handle)) ? 0 : lastError();
    if (!flushed && !closed)
        done("empty", path);
    return flushed ? flushed : closed;
}

int makeFolder(const QString &path)
{
    if (!CreateDirectoryW(native(path).c_str(), nullptr))
        return lastError();
    done("mkdir", path);
    return 0;
}

// Windows cannot flush a folder; the renames and removals are written through instead
// (MOVEFILE_WRITE_THROUGH), which is what a folder's fsync gives on POSIX.
int syncFolder(const QString &folder)
{
    done("sync folder", folder);
    return 0;
}

int renameOver(const QString &from, const QString &to)
{
    if (const int error = faultAt("rename", to))
        return error;
    if (!MoveFileExW(native(from).c_str(), native(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return lastError();
    done("rename", to);
    return 0;
}

int removeEntry(const QString &path)
{
    const Kind kind = kindOf(path);
    if (kind == Kind::None)
        return 0;
    const std::wstring name = native(path);
    if (GetFileAttributesW(name.c_str()) & FILE_ATTRIBUTE_DIRECTORY) {
        if (kind == Kind::Folder)
            QDir(path).removeRecursively();  // what is inside; the folder itself below, for its reason
        if (!RemoveDirectoryW(name.c_str()) && kindOf(path) != Kind::None)
            return lastError();
    } else {
        SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL);  // a read-only file could not go
        if (!DeleteFileW(name.c_str()))
            return lastError();
    }
    done("remove", path);
    return 0;
}

int openLock(const QString &path, Handle *handle)
{
    // A link is opened itself, so that nothing is made where it points, and then refused.
    return openRegular(path, GENERIC_READ, OPEN_ALWAYS, handle);
}

// Windows locks no folder: the folder's lock is a mutex named after it, which the system hands on
// when the game that holds it dies. A mutex is its thread's to release, once for each time taken.
int openFolderLock(const QString &folder, Handle *handle)
{
    const QByteArray key = QDir::toNativeSeparators(QDir::cleanPath(QDir(folder).absolutePath())).toLower().toUtf8();
    const QString name = QStringLiteral("Local\\zarviki-record-")
                         + QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex());
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, reinterpret_cast<const wchar_t *>(name.utf16()));
    if (!mutex) {
        *handle = NoHandle;
        return lastError();
    }
    *handle = reinterpret_cast<Handle>(mutex);
    return 0;
}

namespace {

QSet<Handle> &heldMutexes()
{
    static QSet<Handle> held;
    return held;
}

}  // namespace

int tryLock(Handle handle)
{
    if (GetFileType(win(handle)) != FILE_TYPE_DISK) {
        const DWORD waited = WaitForSingleObject(win(handle), 0);
        if (waited == WAIT_TIMEOUT)
            return EAGAIN;
        if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED)
            return lastError();
        heldMutexes().insert(handle);
        return 0;
    }
    OVERLAPPED at{};
    if (LockFileEx(win(handle), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at))
        return 0;
    return lastError();
}

void closeLock(Handle handle)
{
    if (heldMutexes().remove(handle))
        ReleaseMutex(win(handle));
    CloseHandle(win(handle));  // the system drops a file's lock with the handle, or with the process
}

namespace {

std::optional<Stamp> stampOfHandle(HANDLE h)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(h, &info))
        return std::nullopt;
    return Stamp{info.dwVolumeSerialNumber, (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
                 (qint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
                 (qint64(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime};
}

}  // namespace

std::optional<Stamp> stampOf(const QString &path)
{
    const HANDLE h = openEntry(path, 0, OPEN_EXISTING);
    if (h == INVALID_HANDLE_VALUE)
        return lastError() == ENOENT ? std::optional(Stamp{}) : std::nullopt;
    const std::optional<Stamp> stamp = stampOfHandle(h);
    CloseHandle(h);
    return stamp;
}

// NTFS numbers a file anew each time it gives its number out again, so the entry needs no holding
// (and a file held open could not be replaced).
std::optional<Stamp> pinEntry(const QString &path, Handle *pin)
{
    *pin = NoHandle;
    return stampOf(path);
}

void unpin(Handle)
{
}

}  // namespace zarviki::recordfs
