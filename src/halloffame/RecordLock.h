// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keeps the record to one game at a time: two games that save or read at once take turns, so that
// a read never pairs one game's name with another's words. The lock is one the system keeps on a
// file beside the hero-name file ("имя.lock"); the file stays, and the lock dies with the game that
// holds it, so a lock file left behind, empty or someone else's, blocks nobody.

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
        Unusable,  // the lock file cannot be opened at all
    };
    Result acquire();
    void release();

    // After a failure: the Russian sentence saying what went wrong.
    QString whatFailed() const { return m_whatFailed; }

private:
    QString m_path;
    recordfs::Handle m_handle = recordfs::NoHandle;
    QString m_whatFailed;
};

}  // namespace zarviki
