// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two record files replaced together. A save writes each file completely beside its target
// (the target's name and ".new") and puts it on the disk; then a marker ("имя.commit") names the
// pair it commits by each file's size and checksum, the two targets are replaced, and the marker
// goes. The folder is put on the disk after the marker, after both renames, and after a folder is
// made, so that even a power cut keeps the record whole. A save stopped before its marker is undone
// at the next read or save, one stopped after it is finished there; a marker that does not match
// the files beside it is undone, never finished.

#include <QByteArray>
#include <QString>
#include <optional>
#include <utility>

#include "halloffame/RecordFileSystem.h"
#include "halloffame/RecordLock.h"
#include "halloffame/RecordMessages.h"

namespace zarviki {

// The two files that hold the pair a whole marked save commits: each is its staged file, or its
// target where the staged file has already replaced it. Nothing when there is no marker, or the
// marker does not match.
std::optional<std::pair<QString, QString>> markedPair(const QString &namePath, const QString &aboutPath);

// With the lock held: finishes a marked save or undoes any other, and removes what older versions
// left beside the record. Returns 0 or the error number, and the path that failed.
int settlePair(const QString &namePath, const QString &aboutPath, QString *failed);

// One save of the record, in the winner window's steps. The record is locked from the first open to
// the end of replace(). A link in place of a record file is replaced by a regular file. A writer
// dropped before replace() leaves the old record as it was.
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
    // Writes the text and its CR LF.
    bool writeLine(File file, const QString &text);
    // Puts the file on the disk and closes it; it replaces its target at replace().
    bool close(File file);
    // Replaces both targets, once both files are closed.
    bool replace();

    // After a failure: the path of the file or folder that failed, the reason in Russian, the
    // Russian sentence saying what failed, what became of the old record, and the whole message
    // for the player.
    QString failedPath() const { return m_failedPath; }
    QString errorString() const { return m_error; }
    QString whatFailed() const { return m_whatFailed; }
    recordsays::OldRecord oldRecord() const { return m_oldRecord; }
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
