// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlatformFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <unistd.h>

namespace zarviki::testing {

QList<NotAFile> notAFileKinds()
{
    return {NotAFile::Directory, NotAFile::Fifo, NotAFile::LinkToDevZero, NotAFile::Huge50MBWithoutCr};
}

const char *nameOf(NotAFile kind)
{
    switch (kind) {
    case NotAFile::Directory: return "directory";
    case NotAFile::Fifo: return "FIFO";
    case NotAFile::LinkToDevZero: return "link to /dev/zero";
    case NotAFile::Huge50MBWithoutCr: return "50 MB without CR";
    }
    return "?";
}

void putNotAFile(const QString &path, NotAFile kind)
{
    QFile::remove(path);
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray native = QFile::encodeName(path);
    bool made = false;
    switch (kind) {
    case NotAFile::Directory:
        made = QDir().mkpath(path + QStringLiteral("/inside"));
        break;
    case NotAFile::Fifo:
        made = ::mkfifo(native.constData(), 0644) == 0;
        break;
    case NotAFile::LinkToDevZero:
        made = ::symlink("/dev/zero", native.constData()) == 0;
        break;
    case NotAFile::Huge50MBWithoutCr: {
        // Sparse: 50 MB of NUL bytes without a line end, made in no time.
        QFile f(path);
        made = f.open(QIODevice::WriteOnly) && f.resize(50 * 1000 * 1000);
        break;
    }
    }
    if (!made)
        qFatal("cannot make the odd record file %s", native.constData());
}

bool moveDataLocation(const QString &folder)
{
    return qputenv("XDG_DATA_HOME", QFile::encodeName(folder));
}

}  // namespace zarviki::testing
