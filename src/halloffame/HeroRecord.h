#pragma once
// The hero record: two one-line Windows-1251 text files, the hero-name file and the hero-about
// file. Each holds the text as typed followed by CR LF; reading takes the bytes up to the first CR.

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QSaveFile>
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

// Writes the two record files so that the old record is replaced only by a whole new one. Each file
// is first written completely beside its target, and the two targets are replaced only when both are
// written; if the second replacement fails, the first file gets its old content back (or goes, if
// there was none). A writer dropped before replace() leaves the old record as it was.
class RecordWriter {
public:
    enum File { NameFile = 0, AboutFile = 1 };

    RecordWriter();
    ~RecordWriter();
    RecordWriter(const RecordWriter &) = delete;
    RecordWriter &operator=(const RecordWriter &) = delete;

    // Opens the file for writing, creating its folder where needed.
    bool open(File file, const QString &path);
    // Writes the text and its CR LF.
    bool writeLine(File file, const QString &text);
    // Flushes the file and checks that all of it was written; it replaces its target at replace().
    bool close(File file);
    // Replaces both targets, once both files are closed.
    bool replace();

    // After a failure: the path of the file that failed, the system's reason, and whether the old
    // record is still whole (false only if putting the first file back failed too).
    QString failedPath() const { return m_failedPath; }
    QString errorString() const { return m_error; }
    bool oldRecordIntact() const { return m_oldRecordIntact; }

    // Runs after both files are written and before either target is replaced.
    std::function<void()> beforeReplace;

private:
    bool fail(const QString &path, const QString &reason);

    struct Staged {
        QString path;
        std::unique_ptr<QSaveFile> file;
        bool closed = false;
    };
    Staged m_files[2];
    QString m_failedPath;
    QString m_error;
    bool m_oldRecordIntact = true;
};

}  // namespace zarviki
