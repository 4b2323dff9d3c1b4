// SPDX-License-Identifier: GPL-3.0-or-later
#include "halloffame/RecordFileSystem.h"

#include "halloffame/RecordStorage.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zarviki::recordfs {

namespace {

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

int result(int returned)
{
    return returned == 0 ? 0 : errno;
}

int withFd(Handle *handle, int fd)
{
    *handle = fd;
    return fd < 0 ? errno : 0;
}

}  // namespace

QString recordFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/zarviki");
}

QString olderRecordFolder()
{
    return {};
}

Kind kindOf(const QString &path)
{
    struct stat st;
    if (::lstat(native(path).constData(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? Kind::None : Kind::Other;
    return S_ISREG(st.st_mode) ? Kind::File : S_ISDIR(st.st_mode) ? Kind::Folder : Kind::Other;
}

int openForReading(const QString &path, Handle *handle)
{
    *handle = NoHandle;
    if (const int error = faultAt("open", path))
        return error;
    // A pipe or a device must not keep the open waiting for a writer or a carrier.
    const int fd = ::open(native(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return withFd(handle, fd);
    struct stat st;
    const int error = ::fstat(fd, &st) != 0 ? errno : S_ISREG(st.st_mode) ? 0 : EINVAL;
    if (error) {
        ::close(fd);
        *handle = NoHandle;
        return error;
    }
    *handle = fd;
    return 0;
}

int readSome(Handle handle, char *buffer, qint64 size, qint64 *got)
{
    *got = -1;
    if (const int error = faultAt("read", {}))
        return error;
    ssize_t n;
    while ((n = ::read(int(handle), buffer, size_t(size))) < 0 && errno == EINTR) {
    }
    *got = n;
    return n < 0 ? errno : 0;
}

int createForWriting(const QString &path, Handle *handle)
{
    const int error = withFd(handle, ::open(native(path).constData(),
                                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666));
    if (!error)
        done("create", path);
    return error;
}

int writeAll(Handle handle, QByteArrayView bytes)
{
    if (const int error = faultAt("write", {}))
        return error;
    for (qsizetype written = 0; written < bytes.size();) {
        const ssize_t n = ::write(int(handle), bytes.data() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        written += n;
    }
    done("write", {});
    return 0;
}

void keepPermissions(Handle handle, const QString &from)
{
    struct stat st;
    if (::stat(native(from).constData(), &st) == 0 && S_ISREG(st.st_mode))
        ::fchmod(int(handle), st.st_mode & 07777);
}

namespace {

// The one place a file is put on the disk.
int syncAndTell(Handle handle, const QString &path)
{
    const int error = result(::fsync(int(handle)));
    if (!error)
        done("sync", path);
    return error;
}

}  // namespace

int syncFile(Handle handle)
{
    return syncAndTell(handle, {});
}

int syncFileAt(const QString &path)
{
    const int fd = ::open(native(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int synced = syncAndTell(fd, path);
    const int closed = result(::close(fd));
    return synced ? synced : closed;
}

int closeFile(Handle handle)
{
    const int error = result(::close(int(handle)));
    if (!error)
        done("close", {});
    return error;
}

void closeAfterReading(Handle handle)
{
    ::close(int(handle));
}

int emptyFile(const QString &path)
{
    const int fd = ::open(native(path).constData(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int synced = result(::fsync(fd));
    const int closed = result(::close(fd));
    if (!synced && !closed)
        done("empty", path);
    return synced ? synced : closed;
}

int makeFolder(const QString &path)
{
    const int error = result(::mkdir(native(path).constData(), 0777));
    if (!error)
        done("mkdir", path);
    return error;
}

int syncFolder(const QString &folder)
{
    const int fd = ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    int error = result(::fsync(fd));
    ::close(fd);
    if (!error)
        error = keepFolder(folder);
    if (!error)
        done("sync folder", folder);
    return error;
}

int renameOver(const QString &from, const QString &to)
{
    if (const int error = faultAt("rename", to))
        return error;
    const int error = result(::rename(native(from).constData(), native(to).constData()));
    if (!error)
        done("rename", to);
    return error;
}

int removeEntry(const QString &path)
{
    const Kind kind = kindOf(path);
    if (kind == Kind::None)
        return 0;
    if (kind == Kind::Folder) {
        // Qt removes what is inside (links inside are removed, not followed); the folder itself is
        // removed here, so that a failure gives its own reason.
        QDir(path).removeRecursively();
        if (kindOf(path) == Kind::None) {
            done("remove", path);
            return 0;
        }
        return result(::rmdir(native(path).constData()));
    }
    const int error = result(::unlink(native(path).constData()));
    if (!error)
        done("remove", path);
    return error == ENOENT ? 0 : error;
}

int openLock(const QString &path, Handle *handle)
{
    // Reading is enough for flock, so a lock file left by another user still serves; a pipe put in
    // its place does not keep the open waiting, and a link is never followed to make a file
    // wherever it points.
    return withFd(handle, ::open(native(path).constData(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666));
}

int openFolderLock(const QString &folder, Handle *handle)
{
    return withFd(handle, ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

int tryLock(Handle handle)
{
    int error;
    while ((error = result(::flock(int(handle), LOCK_EX | LOCK_NB))) == EINTR) {
    }
    return error == EWOULDBLOCK ? EAGAIN : error;
}

void closeLock(Handle handle)
{
    ::close(int(handle));  // the lock goes with the last descriptor
}

namespace {

Stamp stampFrom(const struct stat &st)
{
    return {quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size),
            qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

}  // namespace

std::optional<Stamp> stampOf(const QString &path)
{
    struct stat st;
    if (::lstat(native(path).constData(), &st) == 0)
        return stampFrom(st);
    return errno == ENOENT || errno == ENOTDIR ? std::optional(Stamp{}) : std::nullopt;
}

// Held open, the entry keeps its inode number: the system gives it to no new file meanwhile.
std::optional<Stamp> pinEntry(const QString &path, Handle *pin)
{
    const int fd = ::open(native(path).constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    *pin = fd < 0 ? NoHandle : fd;
    struct stat st;
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? std::optional(Stamp{}) : std::nullopt;
    if (::fstat(fd, &st) != 0)
        return std::nullopt;
    return stampFrom(st);
}

void unpin(Handle pin)
{
    if (pin != NoHandle)
        ::close(int(pin));
}

}  // namespace zarviki::recordfs
