// SPDX-License-Identifier: GPL-3.0-or-later
#include "halloffame/RecordFileSystem.h"

#include <QDir>
#include <QStandardPaths>
#include <cerrno>
#include <windows.h>

namespace zarviki::recordfs {

namespace {

// The same failure categories as on POSIX, so that the same Russian sentence explains it.
int failed()
{
    switch (GetLastError()) {
    case ERROR_ACCESS_DENIED: case ERROR_PRIVILEGE_NOT_HELD: return EACCES;
    case ERROR_SHARING_VIOLATION: case ERROR_LOCK_VIOLATION: return EAGAIN;
    case ERROR_WRITE_PROTECT: return EROFS;
    case ERROR_DISK_FULL: case ERROR_HANDLE_DISK_FULL: case 1295 /* quota exceeded */: return ENOSPC;
    case ERROR_FILE_NOT_FOUND: case ERROR_PATH_NOT_FOUND: case ERROR_INVALID_DRIVE: return ENOENT;
    case ERROR_DIRECTORY: return ENOTDIR;
    case ERROR_FILE_EXISTS: case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    case ERROR_DIR_NOT_EMPTY: return ENOTEMPTY;
    default: return EIO;
    }
}

int result(BOOL ok) { return ok ? 0 : failed(); }

// Windows has no calls relative to a folder: the folder's handle is held without leave to delete,
// so that it cannot be moved, removed or replaced while a game uses it, and its path serves.
std::wstring native(const Folder &folder, const QString &name)
{
    return QDir::toNativeSeparators(folder.path + QLatin1Char('/') + name).toStdWString();
}

// Other games may read, replace and remove a record file while it is open here.
constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens the entry itself, never what a link points at (a folder asked for is followed, as on
// POSIX), tells what it is and which file, and fails as POSIX does: a link is ELOOP, a folder where
// a file is asked for EINVAL, a file where a folder is ENOTDIR.
int openEntry(const std::wstring &path, DWORD access, DWORD share, DWORD disposition, Handle *handle,
              Entry *entry = nullptr, bool folder = false)
{
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (folder ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    const HANDLE h = CreateFileW(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    *handle = h == INVALID_HANDLE_VALUE ? NoHandle : reinterpret_cast<Handle>(h);
    int error = h == INVALID_HANDLE_VALUE ? failed() : result(GetFileInformationByHandle(h, &info));
    const bool link = info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT, isFolder = info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    if (!error && (link || isFolder != folder))
        error = link ? ELOOP : folder ? ENOTDIR : EINVAL;
    if (error && *handle != NoHandle)
        CloseHandle(h), *handle = NoHandle;
    if (entry)
        *entry = {link ? Kind::Other : isFolder ? Kind::Folder : Kind::File, info.dwVolumeSerialNumber,
                  (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
    return error;
}

}  // namespace

QString recordFolder() { return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation); }

// Older versions kept the record in the root of drive C, where a standard user cannot write; it is
// still read there until a record of the new place exists.
QString olderRecordFolder() { return QStringLiteral("C:/"); }

// The folder and its files take the rights of the user's data location, which are the player's.
Calls calls = {
    .openFolder = [](const QString &path, Handle *folder) {
        return openEntry(QDir::toNativeSeparators(path).toStdWString(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, folder, nullptr, true);
    },
    .makeFolder = [](const Folder &parent, const QString &name) { return result(CreateDirectoryW(native(parent, name).c_str(), nullptr)); },
    // A file no other game may open while one holds it open.
    .lock = [](const Folder &folder, const QString &name, Handle *lock) { return openEntry(native(folder, name), GENERIC_READ, 0, OPEN_ALWAYS, lock); },
    .entry = [](const Folder &folder, const QString &name, Entry *entry) {
        Handle handle = NoHandle;
        const int error = openEntry(native(folder, name), FILE_READ_ATTRIBUTES, ShareAll, OPEN_EXISTING, &handle, entry);
        if (!error)
            CloseHandle(reinterpret_cast<HANDLE>(handle));
        *entry = error == ENOENT ? Entry{} : *entry;
        return error == ENOENT || error == ELOOP || error == EINVAL ? 0 : error;
    },
    .openFile = [](const Folder &folder, const QString &name, Handle *file, Entry *entry) {
        return openEntry(native(folder, name), GENERIC_READ, ShareAll, OPEN_EXISTING, file, entry);
    },
    .read = [](Handle file, char *buffer, qint64 size, qint64 *got) {
        DWORD n = 0;
        const int error = result(ReadFile(reinterpret_cast<HANDLE>(file), buffer, DWORD(qMin<qint64>(size, 1 << 30)), &n, nullptr));
        *got = error ? -1 : qint64(n);
        return error;
    },
    // CREATE_NEW fails on anything already at the name, a link included.
    .create = [](const Folder &folder, const QString &name, Handle *file) {
        return openEntry(native(folder, name), GENERIC_WRITE | FILE_READ_ATTRIBUTES, ShareAll, CREATE_NEW, file);
    },
    .write = [](Handle file, QByteArrayView bytes) {
        DWORD n = 1;
        for (qsizetype written = 0; written < bytes.size() && n > 0; written += n)
            if (!WriteFile(reinterpret_cast<HANDLE>(file), bytes.data() + written, DWORD(qMin<qsizetype>(bytes.size() - written, 1 << 30)), &n, nullptr))
                return failed();
        return n > 0 ? 0 : ENOSPC;
    },
    .sync = [](Handle file) { return result(FlushFileBuffers(reinterpret_cast<HANDLE>(file))); },
    .close = [](Handle handle) { return result(CloseHandle(reinterpret_cast<HANDLE>(handle))); },
    // Renames are written through, which is what a folder's sync gives on POSIX.
    .rename = [](const Folder &folder, const QString &from, const QString &to) {
        return result(MoveFileExW(native(folder, from).c_str(), native(folder, to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    },
    .remove = [](const Folder &folder, const QString &name) {
        const std::wstring path = native(folder, name);
        const DWORD attributes = GetFileAttributesW(path.c_str());
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);  // a read-only file could not go
        const BOOL removed = attributes & FILE_ATTRIBUTE_DIRECTORY ? RemoveDirectoryW(path.c_str()) : DeleteFileW(path.c_str());
        return attributes == INVALID_FILE_ATTRIBUTES || removed ? 0 : failed();
    },
    // Windows flushes no folder: the renames were written through.
    .syncFolder = [](const Folder &) { return 0; },
};

}  // namespace zarviki::recordfs
