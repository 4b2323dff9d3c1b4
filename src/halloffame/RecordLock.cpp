// SPDX-License-Identifier: GPL-3.0-or-later
#include "halloffame/RecordLock.h"

#include <QDeadlineTimer>
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
    if (const int error = recordfs::openLock(m_path, &m_handle)) {
        m_whatFailed = recordsays::cannotOpenLock(m_path, error);
        return Unusable;
    }
    // Short steps with a little chance in them, so that a game is not kept waiting long after the
    // other one is done.
    const QDeadlineTimer deadline(RecordLockWaitMs);
    for (;;) {
        const int error = recordfs::tryLock(m_handle);
        if (!error)
            return Held;
        if (error != EAGAIN) {
            release();
            m_whatFailed = recordsays::cannotOpenLock(m_path, error);
            return Unusable;
        }
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
    if (m_handle != recordfs::NoHandle)
        recordfs::closeLock(m_handle);
    m_handle = recordfs::NoHandle;
}

}  // namespace zarviki
