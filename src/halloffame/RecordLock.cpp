// SPDX-License-Identifier: GPL-3.0-or-later
#include "halloffame/RecordLock.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <chrono>
#include <thread>

#include "halloffame/RecordMessages.h"

namespace zarviki {

QString recordLockPath(const QString &namePath)
{
    return namePath + QStringLiteral(".lock");
}

RecordLock::RecordLock(const QString &namePath) : m_path(recordLockPath(namePath)) {}

RecordLock::~RecordLock()
{
    release();
}

RecordLock::Result RecordLock::acquire()
{
    release();
    recordfs::openFolderLock(QFileInfo(m_path).absolutePath(), &m_handles[0]);
    int error = recordfs::openLock(m_path, &m_handles[1]);
    bool held[2] = {false, false};
    // The folder's lock first, and the lock file's only under it, so that two games never hold one
    // each. Short steps with a little chance in them, so that a game is not kept waiting long after
    // the other one is done.
    const QDeadlineTimer deadline(RecordLockWaitMs);
    for (;;) {
        bool busy = false;
        for (int i = 0; i < 2 && !busy; ++i) {
            if (m_handles[i] == recordfs::NoHandle || held[i])
                continue;
            const int tried = recordfs::tryLock(m_handles[i]);
            held[i] = !tried;
            busy = tried == EAGAIN;
            if (tried && tried != EAGAIN) {
                recordfs::closeLock(m_handles[i]);
                m_handles[i] = recordfs::NoHandle;
                error = error ? error : tried;
            }
        }
        if (m_handles[0] == recordfs::NoHandle && m_handles[1] == recordfs::NoHandle) {
            m_whatFailed = recordsays::cannotOpenLock(m_path, error);
            return Unusable;
        }
        if (!busy)
            return Held;
        if (deadline.hasExpired()) {
            release();
            m_whatFailed = recordsays::busy(RecordLockWaitMs);
            return Busy;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500 + QRandomGenerator::global()->bounded(2000)));
    }
}

void RecordLock::release()
{
    for (recordfs::Handle &handle : m_handles) {
        if (handle != recordfs::NoHandle)
            recordfs::closeLock(handle);
        handle = recordfs::NoHandle;
    }
}

}  // namespace zarviki
