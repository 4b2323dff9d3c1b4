// SPDX-License-Identifier: GPL-3.0-or-later
#include "halloffame/RecordFileSystem.h"

#include <QFile>
#include <QStandardPaths>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zarviki::recordfs {

namespace {

QByteArray native(const QString &name)
{
    return QFile::encodeName(name);
}

int dir(const Folder &folder)
{
    return int(folder.handle);
}

int result(int returned)
{
    return returned < 0 ? errno : 0;
}

int opened(int fd, Handle *handle)
{
    *handle = fd < 0 ? NoHandle : fd;
    return result(fd);
}

Id idOf(const struct stat &st)
{
    return {quint64(st.st_dev), quint64(st.st_ino)};
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

Calls calls = {
    .openFolder = [](const QString &path, Handle *folder) {
        return opened(::open(native(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC), folder);
    },
    // The mode is set again, as the umask may have taken some of it.
    .makeFolder = [](const Folder &parent, const QString &name) {
        const QByteArray n = native(name);
        const int made = result(::mkdirat(dir(parent), n.constData(), 0700));
        return made ? made : result(::fchmodat(dir(parent), n.constData(), 0700, 0));
    },
    // Only reading is asked, so that a file the umask left read-only still serves. Made 0600 in the
    // player's folder, it can be opened, and so locked, by no other user.
    .lock = [](const Folder &folder, const QString &name, Handle *lock) {
        const int fd = ::openat(dir(folder), native(name).constData(),
                                O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
        int error = opened(fd, lock);
        if (fd >= 0)
            ::fchmod(fd, 0600);  // one the umask made read-only, or a player changed, is the player's alone again
        while (fd >= 0 && (error = result(::flock(fd, LOCK_EX | LOCK_NB))) == EINTR) {
        }
        if (error && fd >= 0) {
            ::close(fd);
            *lock = NoHandle;
        }
        return error == EWOULDBLOCK ? EAGAIN : error;
    },
    .entry = [](const Folder &folder, const QString &name, Entry *entry) {
        struct stat st;
        *entry = {};
        if (::fstatat(dir(folder), native(name).constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return errno == ENOENT ? 0 : errno;
        const Kind kind = S_ISREG(st.st_mode) ? Kind::File : S_ISDIR(st.st_mode) ? Kind::Folder : Kind::Other;
        *entry = {kind, idOf(st)};
        return 0;
    },
    // Non-blocking, so that a pipe or a device does not keep the open waiting.
    .openFile = [](const Folder &folder, const QString &name, Handle *file, Id *id) {
        const int fd = ::openat(dir(folder), native(name).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        struct stat st;
        int error = opened(fd, file);
        if (!error && (error = ::fstat(fd, &st) != 0 ? errno : S_ISREG(st.st_mode) ? 0 : EINVAL)) {
            ::close(fd);
            *file = NoHandle;
        }
        if (!error)
            *id = idOf(st);
        return error;
    },
    .read = [](Handle file, char *buffer, qint64 size, qint64 *got) {
        while ((*got = ::read(int(file), buffer, size_t(size))) < 0 && errno == EINTR) {
        }
        return result(int(*got));
    },
    .create = [](const Folder &folder, const QString &name, Handle *file) {
        const int fd = ::openat(dir(folder), native(name).constData(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
        const int error = opened(fd, file);
        return error ? error : result(::fchmod(fd, 0600));
    },
    .write = [](Handle file, QByteArrayView bytes) {
        for (qsizetype written = 0; written < bytes.size();) {
            const ssize_t n = ::write(int(file), bytes.data() + written, size_t(bytes.size() - written));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return n < 0 ? errno : ENOSPC;
            written += n;
        }
        return 0;
    },
    .sync = [](Handle file) { return result(::fsync(int(file))); },
    .close = [](Handle handle) { return result(::close(int(handle))); },
    .rename = [](const Folder &folder, const QString &from, const QString &to) {
        return result(::renameat(dir(folder), native(from).constData(), dir(folder), native(to).constData()));
    },
    .remove = [](const Folder &folder, const QString &name) {
        const QByteArray n = native(name);
        int error = result(::unlinkat(dir(folder), n.constData(), 0));
        if (error == EISDIR)
            error = result(::unlinkat(dir(folder), n.constData(), AT_REMOVEDIR));
        return error == ENOENT ? 0 : error;
    },
    .syncFolder = [](const Folder &folder) { return result(::fsync(dir(folder))); },
};

}  // namespace zarviki::recordfs
