// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlatformFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zarviki::testing {

// A player cannot make pipes or device links in a folder on Windows.
QList<NotAFile> notAFileKinds()
{
    return {NotAFile::Directory, NotAFile::Huge50MBWithoutCr};
}

const char *nameOf(NotAFile kind)
{
    return kind == NotAFile::Directory ? "directory" : "50 MB without CR";
}

void putNotAFile(const QString &path, NotAFile kind)
{
    QFile::remove(path);
    QDir().mkpath(QFileInfo(path).absolutePath());
    bool made = false;
    if (kind == NotAFile::Directory) {
        made = QDir().mkpath(path + QStringLiteral("/inside"));
    } else if (kind == NotAFile::Huge50MBWithoutCr) {
        QFile f(path);
        made = f.open(QIODevice::WriteOnly) && f.resize(50 * 1000 * 1000);
    }
    if (!made)
        qFatal("cannot make the odd record file %s", qPrintable(path));
}

// The data location is the user's roaming application data, wherever the system keeps it.
bool moveDataLocation(const QString &)
{
    return false;
}

}  // namespace zarviki::testing
