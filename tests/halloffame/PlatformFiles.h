// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the record tests do to files and folders that each platform does its own way: record files
// that are not files at all, and moving the user's data location.

#include <QList>
#include <QString>

namespace zarviki::testing {

// Something that is not a regular file, put where a record file belongs.
enum class NotAFile { Directory, Fifo, LinkToDevZero, Huge50MBWithoutCr };

// The kinds this platform can make: pipes and links to devices only where the system has them.
QList<NotAFile> notAFileKinds();
const char *nameOf(NotAFile kind);
void putNotAFile(const QString &path, NotAFile kind);

// Points the user's data location at the folder, for the rest of the run or until moved again.
// False where the system alone says where it is (Windows).
bool moveDataLocation(const QString &folder);

}  // namespace zarviki::testing
