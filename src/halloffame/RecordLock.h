// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keeps the record to one game at a time: two games that save or read at once take turns, so that
// a read never pairs one game's name with another's words. The locks are ones the system keeps and
// drops with the game that holds them: one on the record folder itself, which every game of this
// version can take, and one on a file beside the hero-name file ("имя.lock"), which older versions
// take. The lock file stays; one the game cannot use (another user's, a folder, a link) is left
// aside, and the folder's lock serves alone.

#include <QString>

#include "halloffame/RecordFileSystem.h"

namespace zarviki {

// How long a save or a read waits for another game to finish with the record.
inline constexpr int RecordLockWaitMs = 2000;

QString recordLockPath(const QString &namePath);

class RecordLock {
public:
    explicit RecordLock(const QString &namePath);
    ~RecordLock();
    RecordLock(const RecordLock &) = delete;
    RecordLock &operator=(const RecordLock &) = delete;

    enum Result {
        Held,
        Busy,      // another game kept it for the whole wait
        Unusable,  // neither the folder nor the lock file can be locked at all
    };
    Result acquire();
    void release();

    // After a failure: the Russian sentence saying what went wrong.
    QString whatFailed() const { return m_whatFailed; }

private:
    QString m_path;
    // The folder's lock, then the lock file's; NoHandle for one that is not used.
    recordfs::Handle m_handles[2] = {recordfs::NoHandle, recordfs::NoHandle};
    QString m_whatFailed;
};

}  // namespace zarviki
