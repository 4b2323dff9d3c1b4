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

// Each call's result: 0, or the errno value of a call that answered -1.
int result(qint64 returned) { return returned < 0 ? errno : 0; }

int opened(int fd, Handle *handle)
{
    *handle = fd < 0 ? NoHandle : fd;
    return result(fd);
}

// Opens a file in the folder: never through a link, and never waiting on a pipe or a device.
int openIn(const Folder &folder, const QString &name, int flags, Handle *handle)
{
    const int fd = ::openat(int(folder.handle), QFile::encodeName(name).constData(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    return opened(fd, handle);
}

Entry entryOf(const struct stat &st)
{
    const Kind kind = S_ISREG(st.st_mode) ? Kind::File : S_ISDIR(st.st_mode) ? Kind::Folder : Kind::Other;
    return {kind, quint64(st.st_dev), quint64(st.st_ino)};
}

}  // namespace

QString recordFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/zarviki");
}

QString olderRecordFolder() { return {}; }

// Each file made is set to 0600 again, and a folder to 0700, as the umask may have taken some of it.
Calls calls = {
    .openFolder = [](const QString &path, Handle *folder) {
        return opened(::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC), folder);
    },
    .makeFolder = [](const Folder &parent, const QString &name) {
        const QByteArray n = QFile::encodeName(name);
        const int made = result(::mkdirat(int(parent.handle), n.constData(), 0700));
        return made ? made : result(::fchmodat(int(parent.handle), n.constData(), 0700, 0));
    },
    // Reading is enough for flock, so a file the umask left read-only still serves. Made 0600 in
    // the player's folder, no other user can open it, nor so lock it.
    .lock = [](const Folder &folder, const QString &name, Handle *lock) {
        int error = openIn(folder, name, O_RDONLY | O_CREAT, lock);
        if (!error)
            ::fchmod(int(*lock), 0600);
        while (!error && (error = result(::flock(int(*lock), LOCK_EX | LOCK_NB))) == EINTR)
            error = 0;
        if (error && *lock != NoHandle)
            ::close(int(*lock)), *lock = NoHandle;
        return error == EWOULDBLOCK ? EAGAIN : error;
    },
    .entry = [](const Folder &folder, const QString &name, Entry *entry) {
        struct stat st;
        *entry = {};
        if (::fstatat(int(folder.handle), QFile::encodeName(name).constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            return errno == ENOENT ? 0 : errno;
        *entry = entryOf(st);
        return 0;
    },
    .openFile = [](const Folder &folder, const QString &name, Handle *file, Entry *entry) {
        struct stat st;
        int error = openIn(folder, name, O_RDONLY, file);
        if (!error && !(error = result(::fstat(int(*file), &st))))
            error = S_ISREG(st.st_mode) ? 0 : EINVAL;
        if (error && *file != NoHandle)
            ::close(int(*file)), *file = NoHandle;
        *entry = error ? Entry{} : entryOf(st);
        return error;
    },
    .read = [](Handle file, char *buffer, qint64 size, qint64 *got) {
        while ((*got = ::read(int(file), buffer, size_t(size))) < 0 && errno == EINTR) {
        }
        return result(*got);
    },
    .create = [](const Folder &folder, const QString &name, Handle *file) {
        const int error = openIn(folder, name, O_WRONLY | O_CREAT | O_EXCL, file);
        return error ? error : result(::fchmod(int(*file), 0600));
    },
    .write = [](Handle file, QByteArrayView bytes) {
        for (qsizetype written = 0, n = 0; written < bytes.size(); written += qMax<qsizetype>(n, 0))
            if ((n = ::write(int(file), bytes.data() + written, size_t(bytes.size() - written))) < 0 ? errno != EINTR : n == 0)
                return n < 0 ? errno : ENOSPC;
        return 0;
    },
    .sync = [](Handle file) { return result(::fsync(int(file))); },
    .close = [](Handle handle) { return result(::close(int(handle))); },
    .rename = [](const Folder &f, const QString &from, const QString &to) {
        return result(::renameat(int(f.handle), QFile::encodeName(from).constData(), int(f.handle), QFile::encodeName(to).constData()));
    },
    .remove = [](const Folder &folder, const QString &name) {
        const QByteArray n = QFile::encodeName(name);
        int error = result(::unlinkat(int(folder.handle), n.constData(), 0));
        if (error == EISDIR)
            error = result(::unlinkat(int(folder.handle), n.constData(), AT_REMOVEDIR));
        return error == ENOENT ? 0 : error;
    },
    .syncFolder = [](const Folder &folder) { return result(::fsync(int(folder.handle))); },
};

}  // namespace zarviki::recordfs
