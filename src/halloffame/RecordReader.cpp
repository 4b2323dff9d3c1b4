// SPDX-License-Identifier: GPL-3.0-or-later
#include "halloffame/RecordReader.h"

#include <QScopeGuard>
#include <cerrno>
#include <cstring>

#include "halloffame/RecordFileSystem.h"
#include "halloffame/RecordText.h"

namespace zarviki {

namespace {

// Reads up to `limit` bytes, stopping early at the first CR when `toFirstCr`; the content read
// and whether the file went on past it.
int readUpTo(const QString &path, qint64 limit, bool toFirstCr, QByteArray *content, bool *more)
{
    recordfs::Handle file = recordfs::NoHandle;
    if (const int error = recordfs::openForReading(path, &file))
        return error;
    const auto closing = qScopeGuard([file] { recordfs::closeAfterReading(file); });
    char chunk[64 * 1024];
    *more = false;
    for (;;) {
        qint64 got = 0;
        // One byte past the limit tells whether the file goes on.
        const qint64 want = std::min<qint64>(sizeof chunk, limit + 1 - content->size());
        if (const int error = recordfs::readSome(file, chunk, want, &got))
            return error;
        if (got == 0)
            return 0;
        if (const void *cr = toFirstCr ? std::memchr(chunk, '\r', size_t(got)) : nullptr) {
            content->append(chunk, static_cast<const char *>(cr) - chunk + 1);
            return 0;
        }
        content->append(chunk, got);
        if (content->size() > limit) {
            content->truncate(limit);
            *more = true;
            return 0;
        }
    }
}

}  // namespace

std::optional<QString> readRecordFile(const QString &path)
{
    QByteArray content;
    bool more = false;
    if (readUpTo(path, MaxRecordLineBytes, true, &content, &more) || more)
        return std::nullopt;
    return firstRecordLine(content);
}

int readWholeFile(const QString &path, qint64 limit, QByteArray *content)
{
    content->clear();
    bool more = false;
    const int error = readUpTo(path, limit, false, content, &more);
    return error ? error : more ? EFBIG : 0;
}

}  // namespace zarviki
