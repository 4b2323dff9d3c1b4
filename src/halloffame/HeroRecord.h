// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hero record: two one-line Windows-1251 text files, the hero-name file and the hero-about
// file. Each holds the text as typed followed by CR LF; reading takes the bytes up to the first CR.

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QLockFile>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace zarviki {

// Where the two record files live; both hall-of-fame windows use these two paths. On Windows they
// are "C:\имя" and "C:\о_себе"; elsewhere the same names in the folder "zarviki" of the user's data
// location (on Linux $XDG_DATA_HOME/zarviki, by default ~/.local/share/zarviki).
QString heroNamePath();
QString heroAboutPath();

// The longest first line a record file may hold; a longer one is a failed read.
inline constexpr qint64 MaxRecordLineBytes = qint64(1) << 20;

// Text in Windows-1251; each character the code page lacks (a surrogate pair is one) becomes "?".
QByteArray encodeRecordText(const QString &text);
QString decodeRecordText(QByteArrayView bytes);

// What a record file holds for the text: its Windows-1251 bytes and CR LF.
QByteArray recordFileContent(const QString &text);

// The first line of a record file's content: the text before the first CR, or the whole content
// when it has no CR. Nothing at all for a file of zero bytes.
std::optional<QString> firstRecordLine(QByteArrayView content);

// Reads one record file. Only a regular file is read (a directory, a pipe or a device fails at
// open, and opening never waits), no more than the longest first line and the byte after it is
// read, and the file is closed on every path, at the latest when the reader goes.
class RecordReader {
public:
    RecordReader() = default;
    RecordReader(const RecordReader &) = delete;
    RecordReader &operator=(const RecordReader &) = delete;

    bool open(const QString &path);
    std::optional<QString> readFirstLine();
    void close();

    QString errorString() const { return m_error; }

private:
    QFile m_file;
    QString m_error;
};

// Both steps of a read of one file: open, read the first line, close.
std::optional<QString> readRecordFile(const QString &path, QString *error = nullptr);

// Why a file or folder could not be written, in Russian, from the system's error number. The
// system's own (English) text follows a Russian sentence only for errors a player hardly meets.
QString failureReason(int error);

// How long a save or a read waits for another game to finish with the record.
inline constexpr int RecordLockWaitMs = 2000;

// Keeps the record to one game at a time: two games that save or read at once take turns, so a
// read never pairs one game's name with another's words. The lock is a file beside the hero-name
// file; the lock of a game that died holding it is taken over. Taking the lock also settles a save
// that a killed game left half done: a save whose two new files were both whole is finished, any
// other is undone, and its leftover files go.
class RecordLock {
public:
    RecordLock(const QString &namePath, const QString &aboutPath);
    ~RecordLock();
    RecordLock(const RecordLock &) = delete;
    RecordLock &operator=(const RecordLock &) = delete;

    // False when another game kept the record for the whole wait, or a half-done save could not
    // be settled. Where no lock file can be made at all (a folder that cannot be written or does
    // not exist), there is nobody to keep out and nothing to settle: it goes on without.
    bool acquire();
    void release();

    // After a failure: the Russian sentence saying what went wrong.
    QString whatFailed() const { return m_whatFailed; }

private:
    QString m_namePath, m_aboutPath;
    std::unique_ptr<QLockFile> m_lock;
    QString m_whatFailed;
};

// Writes the two record files so that the old record is replaced only by a whole new one, even
// if the game is killed half way. Each file is first written completely beside its target (the
// target's name and ".new"); once both are, a marker file says so, the two targets are replaced,
// and the marker goes. A save killed before the marker is undone at the next read or save, one
// killed after it is finished there. The record is locked from the first open to the end of
// replace(). A link in place of a record file is replaced by a regular file. A writer dropped
// before replace() leaves the old record as it was.
class RecordWriter {
public:
    enum File { NameFile = 0, AboutFile = 1 };

    RecordWriter(const QString &namePath, const QString &aboutPath);
    ~RecordWriter();
    RecordWriter(const RecordWriter &) = delete;
    RecordWriter &operator=(const RecordWriter &) = delete;

    // Opens the file for writing, creating its folder where needed; opening the hero-name file
    // takes the lock.
    bool open(File file);
    // Writes the text and its CR LF.
    bool writeLine(File file, const QString &text);
    // Flushes the file to the disk and closes it; it replaces its target at replace().
    bool close(File file);
    // Replaces both targets, once both files are closed.
    bool replace();

    // After a failure: the path of the file or folder that failed, the reason in Russian, the
    // whole Russian sentence for the player, and whether the old record is still whole.
    QString failedPath() const { return m_failedPath; }
    QString errorString() const { return m_error; }
    QString whatFailed() const { return m_whatFailed; }
    bool oldRecordIntact() const { return m_oldRecordIntact; }

    // Runs after both files are written and before either target is replaced.
    std::function<void()> beforeReplace;
    // Runs after each step that leaves something on the disk; a test kills the game here.
    std::function<void()> afterStep;

private:
    bool fail(const QString &path, int error);
    bool failFolder(const QString &folder, int error);
    bool failWith(const QString &whatFailed);
    void abandon();
    void step();

    struct Staged {
        QString target;
        QString staged;
        int fd = -1;
        bool closed = false;
    };
    Staged m_files[2];
    RecordLock m_lock;
    QString m_failedPath;
    QString m_error;
    QString m_whatFailed;
    bool m_oldRecordIntact = true;
};

}  // namespace zarviki
