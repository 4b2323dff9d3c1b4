// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Test helpers for the hero record files: exact bytes in and out, and record files that are not
// files at all.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <unistd.h>

namespace zarviki::testing {

// Points the user's data location at a fresh folder for the rest of the run, so that the tests
// never read or write the record of whoever runs them. Returns the folder; it goes at exit.
inline QString useTemporaryDataHome()
{
    static QTemporaryDir home;
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path()));
    return home.path();
}

inline void putBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// The bytes of a file, or a null array when it is not there.
inline QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = f.readAll();
    if (bytes.isNull())
        bytes = QByteArray("");
    return bytes;
}

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
