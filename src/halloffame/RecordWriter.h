// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One save of the record, in the winner window's steps (the pair's files and marker are described
// in RecordPair.h). The record is locked from the first open to the end of replace(). A link in
// place of a record file is replaced by a regular file. A writer dropped before replace() leaves the
// old record as it was.

#include <QByteArray>
#include <QString>

#include "halloffame/RecordFileSystem.h"
#include "halloffame/RecordLock.h"
#include "halloffame/RecordMessages.h"

namespace zarviki {

class RecordWriter {
public:
    enum File { NameFile = 0, AboutFile = 1 };

    RecordWriter(const QString &namePath, const QString &aboutPath);
    ~RecordWriter();
    RecordWriter(const RecordWriter &) = delete;
    RecordWriter &operator=(const RecordWriter &) = delete;

    // Opens the file for writing, creating its folder where needed; opening the hero-name file
    // takes the lock and settles a save that a killed game left half done.
    bool open(File file);
    // Writes the text and its CR LF; a file longer than a read takes back fails (EFBIG).
    bool writeLine(File file, const QString &text);
    // Puts the file on the disk and closes it; it replaces its target at replace().
    bool close(File file);
    // Replaces both targets, once both files are closed.
    bool replace();

    // After a failure: the path of the file or folder that failed, the reason in Russian, the
    // Russian sentence saying what failed, and the whole message for the player, which says what
    // became of the old record. The old record is intact until a save replaces it.
    QString failedPath() const { return m_failedPath; }
    QString errorString() const { return m_error; }
    QString whatFailed() const { return m_whatFailed; }
    bool oldRecordIntact() const { return m_oldRecord == recordsays::OldRecord::Intact; }
    QString failureMessage() const { return recordsays::saveFailed(m_whatFailed, m_oldRecord); }

private:
    bool fail(const QString &path, int error);
    bool failWith(const QString &path, const QString &whatFailed);
    void takeBackMarker();
    void abandon();

    struct Staged {
        QString target;
        QString staged;
        QByteArray content;
        recordfs::Handle handle = recordfs::NoHandle;
        bool closed = false;
    };
    Staged m_files[2];
    RecordLock m_lock;
    QString m_failedPath;
    QString m_error;
    QString m_whatFailed;
    recordsays::OldRecord m_oldRecord = recordsays::OldRecord::Intact;
};

}  // namespace zarviki
