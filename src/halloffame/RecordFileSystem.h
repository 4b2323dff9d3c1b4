// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The thin layer between the hero record and the system's file calls, one file per platform. Every
// call returns 0 or an errno value (Windows errors are mapped onto the same values), so that one
// set of Russian sentences explains a failure on either platform.

#include <QByteArrayView>
#include <QString>
#include <functional>
#include <optional>

namespace zarviki::recordfs {

// The folder that holds the record, and the folder where older versions of the game kept it (empty
// where there was none).
QString recordFolder();
QString olderRecordFolder();

using Handle = qintptr;
inline constexpr Handle NoHandle = -1;

// What stands at a path, the entry itself: a link is Other, whatever it points at, and so is an
// entry the system cannot tell about.
enum class Kind { None, File, Folder, Other };
Kind kindOf(const QString &path);

// Opens a regular file for reading, never through a link (ELOOP) and never anything else (EINVAL);
// opening never waits.
int openForReading(const QString &path, Handle *handle);
int readSome(Handle handle, char *buffer, qint64 size, qint64 *got);

// Makes a new file for writing. Fails if anything at all is at the path (nothing is followed or
// opened in its place), and never waits.
int createForWriting(const QString &path, Handle *handle);
int writeAll(Handle handle, QByteArrayView bytes);
// The new file takes the permissions the player gave the file at `from`, if any.
void keepPermissions(Handle handle, const QString &from);
int syncFile(Handle handle);
// Puts a regular file already written, content and all, on the disk; a link is not followed.
int syncFileAt(const QString &path);
int closeFile(Handle handle);
void closeAfterReading(Handle handle);
// Empties an existing regular file on the disk; needs no right to write its folder.
int emptyFile(const QString &path);

int makeFolder(const QString &path);
// Puts the folder's entries (made, renamed, removed) on the disk.
int syncFolder(const QString &folder);
int renameOver(const QString &from, const QString &to);
// Removes whatever stands at the path: a file, a link, a pipe, a folder with all in it. Nothing
// there is no failure.
int removeEntry(const QString &path);

// Locks the system keeps, which die with the game that holds them: one on a lock file that is
// never removed (openLock fails only when the file cannot be opened at all, and never follows a
// link), and one on the record folder itself, which needs no file in it (on Windows a mutex named
// after the folder). tryLock gives EAGAIN while another game holds it.
int openLock(const QString &path, Handle *handle);
int openFolderLock(const QString &folder, Handle *handle);
int tryLock(Handle handle);
void closeLock(Handle handle);

// Which entry stands at a path (nothing is a stamp of its own), its size and the time it was last
// written; nothing when the system cannot tell. While an entry is pinned, no new entry can take
// its identity, so the same stamp at two moments means that the entry stood there untouched in
// between.
struct Stamp {
    quint64 volume = 0, id = 0;
    qint64 size = -1, written = 0;
    friend bool operator==(const Stamp &, const Stamp &) = default;
};
std::optional<Stamp> stampOf(const QString &path);
std::optional<Stamp> pinEntry(const QString &path, Handle *pin);
void unpin(Handle pin);

// Told of each call that changed something on the disk, after it succeeded: "create", "write",
// "sync" (with the path where one is given), "close", "empty", "mkdir", "sync folder", "rename",
// "remove". A test records the calls, or kills the game at one of them.
using Watch = std::function<void(const char *call, const QString &path)>;
inline Watch &watch()
{
    static Watch w;
    return w;
}
inline void done(const char *call, const QString &path)
{
    if (const Watch &w = watch())
        w(call, path);
}

// Asked before each "open" and "read" of a file being read, each "write" and each "rename": a
// test makes the call fail with the error number it answers, as the disk would.
using Fault = std::function<int(const char *call, const QString &path)>;
inline Fault &fault()
{
    static Fault f;
    return f;
}
inline int faultAt(const char *call, const QString &path)
{
    const Fault &f = fault();
    return f ? f(call, path) : 0;
}

}  // namespace zarviki::recordfs
