// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Record files that are not files at all: folders, pipes, links and sparse giants.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <sys/stat.h>
#include <unistd.h>

namespace zarviki::testing {

// Puts something that is not a regular file at the path.
enum class NotAFile { Directory, Fifo, LinkToDevZero, Huge50MBWithoutCr };

inline void putNotAFile(const QString &path, NotAFile kind)
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

}  // namespace zarviki::testing
