// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading one record file with bounds: only a regular file is read, never through a link (a
// folder, a pipe or a device fails at open, and opening never waits), no more than the longest
// first line and the byte after it, and the file is closed on every path.

#include <QByteArray>
#include <QString>
#include <optional>

namespace zarviki {

// The first line of the record file; nothing when it cannot be read.
std::optional<QString> readRecordFile(const QString &path);

// The whole content of a regular file of at most `limit` bytes: 0, the error number of a failed
// open or read, or EFBIG for a longer file.
int readWholeFile(const QString &path, qint64 limit, QByteArray *content);

}  // namespace zarviki
