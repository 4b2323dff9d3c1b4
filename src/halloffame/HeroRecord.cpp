#include "halloffame/HeroRecord.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringEncoder>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zarviki {

namespace {

const char *const CodePage = "windows-1251";

// In the root of drive C on Windows; elsewhere in the game's folder of the user's data location.
QString recordPath(const QString &fileName)
{
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\") + fileName;
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/zarviki/")
           + fileName;
#endif
}

QString systemReason(int error)
{
    return qt_error_string(error);
}

bool exists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Renames one file over another, replacing it in one step.
bool renameOver(const QString &from, const QString &to, QString *reason)
{
#ifdef Q_OS_WIN
    if (MoveFileExW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(from).utf16()),
                    reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(to).utf16()),
                    MOVEFILE_REPLACE_EXISTING))
        return true;
    *reason = qt_error_string(int(GetLastError()));
    return false;
#else
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    *reason = systemReason(errno);
    return false;
#endif
}

// A name beside the file that nothing else uses, to keep its old content while it is replaced.
QString asideName(const QString &path)
{
    for (;;) {
        const QString candidate =
            path + QStringLiteral(".old-") + QString::number(QRandomGenerator::global()->generate(), 16);
        if (!exists(candidate))
            return candidate;
    }
}

}  // namespace

// The file names are Cyrillic throughout: и м я, and о _ с е б е.
QString heroNamePath()
{
    return recordPath(QStringLiteral("\u0438\u043C\u044F"));
}

QString heroAboutPath()
{
    return recordPath(QStringLiteral("\u043E_\u0441\u0435\u0431\u0435"));
}

QByteArray encodeRecordText(const QString &text)
{
    QStringEncoder encoder(CodePage);
    QByteArray whole = encoder.encode(text);
    if (!encoder.hasError())
        return whole;
    // Some character has no place in the code page: encode one character at a time.
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length =
            (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) ? 2 : 1;
        // The converter marks a character it lacks with the substitute byte 0x1A (and its error
        // flag, once raised, stays up), so a 0x1A for anything but U+001A is a missing character.
        // A surrogate without its partner is no character at all and is not handed on.
        const QStringView one = QStringView(text).mid(i, length);
        const QByteArray encoded = one.front().isSurrogate() && length == 1 ? QByteArray() : encoder.encode(one);
        if (encoded.size() != 1 || (encoded.at(0) == '\x1A' && one != u"\u001A"))
            bytes.append('?');
        else
            bytes.append(encoded);
        i += length;
    }
    return bytes;
}

QString decodeRecordText(QByteArrayView bytes)
{
    QStringDecoder decoder(CodePage);
    return decoder.decode(bytes);
}

QByteArray recordFileContent(const QString &text)
{
    return encodeRecordText(text) + QByteArrayLiteral("\r\n");
}

std::optional<QString> firstRecordLine(QByteArrayView content)
{
    if (content.isEmpty())
        return std::nullopt;
    const qsizetype cr = content.indexOf('\r');
    return decodeRecordText(cr < 0 ? content : content.first(cr));
}

bool RecordReader::open(const QString &path)
{
    close();
#ifdef Q_OS_WIN
    if (!QFileInfo(path).isFile()) {
        m_error = QStringLiteral("not a regular file");
        return false;
    }
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly)) {
        m_error = m_file.errorString();
        return false;
    }
    return true;
#else
    // Opening a pipe or a device must not wait for a writer or a carrier.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        m_error = systemReason(errno);
        return false;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        m_error = systemReason(errno);
        ::close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        m_error = QStringLiteral("not a regular file");
        ::close(fd);
        return false;
    }
    if (!m_file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        m_error = m_file.errorString();
        ::close(fd);
        return false;
    }
    return true;
#endif
}

std::optional<QString> RecordReader::readFirstLine()
{
    if (!m_file.isOpen()) {
        m_error = QStringLiteral("file not open");
        return std::nullopt;
    }
    // The longest line and the byte after it, which must be its CR if the file goes on.
    const qint64 limit = MaxRecordLineBytes + 1;
    QByteArray content;
    char chunk[64 * 1024];
    while (content.size() < limit) {
        const qint64 got = m_file.read(chunk, std::min<qint64>(sizeof chunk, limit - content.size()));
        if (got < 0) {
            m_error = m_file.errorString();
            return std::nullopt;
        }
        if (got == 0)
            break;
        if (const void *cr = std::memchr(chunk, '\r', size_t(got))) {
            content.append(chunk, static_cast<const char *>(cr) - chunk);
            return decodeRecordText(content);
        }
        content.append(chunk, got);
    }
    if (content.size() > MaxRecordLineBytes) {
        m_error = QStringLiteral("first line longer than %1 bytes").arg(MaxRecordLineBytes);
        return std::nullopt;
    }
    auto line = firstRecordLine(content);
    if (!line)
        m_error = QStringLiteral("empty file");
    return line;
}

void RecordReader::close()
{
    if (m_file.isOpen())
        m_file.close();
}

std::optional<QString> readRecordFile(const QString &path, QString *error)
{
    RecordReader reader;
    std::optional<QString> line;
    if (reader.open(path))
        line = reader.readFirstLine();
    reader.close();
    if (!line && error)
        *error = reader.errorString();
    return line;
}

RecordWriter::RecordWriter() = default;

// QSaveFile throws away what it wrote unless it was committed.
RecordWriter::~RecordWriter() = default;

bool RecordWriter::fail(const QString &path, const QString &reason)
{
    m_failedPath = path;
    m_error = reason;
    return false;
}

bool RecordWriter::open(File file, const QString &path)
{
    Staged &staged = m_files[file];
    staged = Staged{};
    // A link in place of a record file: the file it points to is the one replaced.
    const QFileInfo info(path);
    staged.path = info.isSymLink() && !info.canonicalFilePath().isEmpty() ? info.canonicalFilePath() : path;
    QDir().mkpath(QFileInfo(staged.path).absolutePath());
    staged.file = std::make_unique<QSaveFile>(staged.path);
    if (!staged.file->open(QIODevice::WriteOnly))
        return fail(path, staged.file->errorString());
    return true;
}

bool RecordWriter::writeLine(File file, const QString &text)
{
    Staged &staged = m_files[file];
    if (!staged.file || !staged.file->isOpen())
        return fail(staged.path, QStringLiteral("file not open"));
    const QByteArray bytes = recordFileContent(text);
    if (staged.file->write(bytes) != bytes.size())
        return fail(staged.path, staged.file->errorString());
    return true;
}

bool RecordWriter::close(File file)
{
    Staged &staged = m_files[file];
    if (!staged.file || !staged.file->isOpen())
        return fail(staged.path, QStringLiteral("file not open"));
    if (!staged.file->flush() || staged.file->error() != QFileDevice::NoError)
        return fail(staged.path, staged.file->errorString());
    staged.closed = true;
    return true;
}

bool RecordWriter::replace()
{
    Staged &name = m_files[NameFile];
    Staged &about = m_files[AboutFile];
    if (!name.closed || !about.closed)
        return fail(name.closed ? about.path : name.path, QStringLiteral("file not written"));
    if (beforeReplace)
        beforeReplace();

    // Keep the old hero-name file aside until the hero-about file has replaced its own.
    QString aside;
    QString reason;
    if (exists(name.path)) {
        aside = asideName(name.path);
        if (!renameOver(name.path, aside, &reason))
            return fail(name.path, reason);
    }
    const auto putBack = [&] {
        QString ignored;
        if (!aside.isEmpty())
            m_oldRecordIntact = renameOver(aside, name.path, &ignored);
        else
            m_oldRecordIntact = !exists(name.path) || QFile::remove(name.path);
    };

    if (!name.file->commit()) {
        const QString why = name.file->errorString();
        putBack();
        return fail(name.path, why);
    }
    name.closed = false;
    if (!about.file->commit()) {
        const QString why = about.file->errorString();
        putBack();
        return fail(about.path, why);
    }
    about.closed = false;
    if (!aside.isEmpty())
        QFile::remove(aside);
    return true;
}

}  // namespace zarviki
