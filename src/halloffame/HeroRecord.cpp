// SPDX-License-Identifier: GPL-3.0-or-later
#include "halloffame/HeroRecord.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringEncoder>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#ifdef Q_OS_WIN
#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
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

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// A regular file, a folder, a link (even a dangling one): anything at all at the path.
bool exists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// The files a save leaves beside the record until it is finished: each target's new content,
// and the marker that says both are whole.
QString stagedPath(const QString &target)
{
    return target + QStringLiteral(".new");
}

QString markerPath(const QString &namePath)
{
    return namePath + QStringLiteral(".commit");
}

QString lockPath(const QString &namePath)
{
    return namePath + QStringLiteral(".lock");
}

// The thin layer over the system's file calls: each returns 0 or the error number.
#ifdef Q_OS_WIN
const wchar_t *wide(const QString &path)
{
    return reinterpret_cast<const wchar_t *>(path.utf16());
}
int openForWriting(const QString &path, int *fd)
{
    *fd = ::_wopen(wide(native(path)), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
    return *fd < 0 ? errno : 0;
}
int writeAll(int fd, const QByteArray &bytes)
{
    return ::_write(fd, bytes.constData(), unsigned(bytes.size())) == bytes.size() ? 0 : errno ? errno : ENOSPC;
}
void keepPermissions(int, const QString &)
{
}
int syncAndClose(int fd)
{
    const int synced = ::_commit(fd) == 0 ? 0 : errno;
    const int closed = ::_close(fd) == 0 ? 0 : errno;
    return synced ? synced : closed;
}
void closeQuietly(int fd)
{
    ::_close(fd);
}
int makeFolder(const QString &path)
{
    return ::_wmkdir(wide(native(path))) == 0 ? 0 : errno;
}
int renameOver(const QString &from, const QString &to)
{
    if (MoveFileExW(wide(native(from)), wide(native(to)), MOVEFILE_REPLACE_EXISTING))
        return 0;
    return GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
}
bool isFolder(const QString &path)
{
    return QFileInfo(path).isDir();
}
#else
int openForWriting(const QString &path, int *fd)
{
    // A link left at the staged name is not followed.
    *fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666);
    return *fd < 0 ? errno : 0;
}
int writeAll(int fd, const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        done += n;
    }
    return 0;
}
// The new file keeps the permissions the player gave the old one.
void keepPermissions(int fd, const QString &target)
{
    struct stat st;
    if (::stat(QFile::encodeName(target).constData(), &st) == 0 && S_ISREG(st.st_mode))
        ::fchmod(fd, st.st_mode & 07777);
}
int syncAndClose(int fd)
{
    // On the disk before the marker says the file is whole, so that even a power cut keeps it.
    const int synced = ::fsync(fd) == 0 ? 0 : errno;
    const int closed = ::close(fd) == 0 ? 0 : errno;
    return synced ? synced : closed;
}
void closeQuietly(int fd)
{
    ::close(fd);
}
int makeFolder(const QString &path)
{
    return ::mkdir(QFile::encodeName(path).constData(), 0777) == 0 ? 0 : errno;
}
int renameOver(const QString &from, const QString &to)
{
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0 ? 0 : errno;
}
bool isFolder(const QString &path)
{
    // The entry itself: a link to a folder is no folder here, since a rename replaces the link.
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}
#endif

int removeFile(const QString &path)
{
    if (!exists(path))
        return 0;
    return QFile::remove(path) ? 0 : EACCES;
}

// Makes the folder and any folder above it that is missing; on failure tells which folder
// could not be made. Anything already at a path, folder or not, is left to the file's own open.
int makeFolders(const QString &folder, QString *failed)
{
    QStringList missing;
    QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    while (!exists(path)) {
        missing.prepend(path);
        const QString up = QFileInfo(path).path();
        if (up == path)
            break;
        path = up;
    }
    for (const QString &one : std::as_const(missing)) {
        const int error = makeFolder(one);
        if (error && error != EEXIST) {
            *failed = one;
            return error;
        }
    }
    return 0;
}

// Finishes a save whose marker is there, or undoes one whose marker is not; either way the
// leftover files go. Returns 0 or the error number, and the path that failed.
int settle(const QString &namePath, const QString &aboutPath, QString *failed)
{
    const QString marker = markerPath(namePath);
    const bool finish = exists(marker);
    for (const QString &target : {namePath, aboutPath}) {
        const QString staged = stagedPath(target);
        if (!exists(staged))
            continue;
        if (const int error = finish ? renameOver(staged, target) : removeFile(staged)) {
            *failed = target;
            return error;
        }
    }
    if (const int error = removeFile(marker)) {
        *failed = marker;
        return error;
    }
    return 0;
}

QString cannotWrite(const QString &path, int error)
{
    return QStringLiteral("Не удалось записать файл \"%1\": %2.").arg(native(path), failureReason(error));
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

QString failureReason(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("нет прав на запись");
#ifdef EROFS
    case EROFS:
        return QStringLiteral("диск доступен только для чтения");
#endif
    case ENOSPC:
        return QStringLiteral("на диске не осталось места");
#ifdef EDQUOT
    case EDQUOT:
        return QStringLiteral("исчерпана дисковая квота");
#endif
    case ENOTDIR:
        return QStringLiteral("на пути стоит файл, а не папка");
    case EISDIR:
        return QStringLiteral("на месте файла стоит папка");
    case ENOENT:
        return QStringLiteral("такой папки нет");
    case ENAMETOOLONG:
        return QStringLiteral("слишком длинное имя или путь");
#ifdef ELOOP
    case ELOOP:
        return QStringLiteral("слишком много символических ссылок на пути");
#endif
    case EMLINK:
        return QStringLiteral("в папке слишком много ссылок");
    case EIO:
        return QStringLiteral("ошибка ввода-вывода на диске");
    case EBUSY:
        return QStringLiteral("файл занят системой");
    case EFBIG:
        return QStringLiteral("файл слишком велик");
    default:
        return QStringLiteral("ошибка системы №%1 (%2)").arg(error).arg(systemReason(error));
    }
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

RecordLock::RecordLock(const QString &namePath, const QString &aboutPath)
    : m_namePath(namePath), m_aboutPath(aboutPath)
{
}

RecordLock::~RecordLock()
{
    release();
}

bool RecordLock::acquire()
{
    release();
    m_lock = std::make_unique<QLockFile>(lockPath(m_namePath));
    // Short steps with a little chance in them rather than QLockFile's own doubling waits, so
    // that a game is not kept waiting long after the other one is done.
    const QDeadlineTimer deadline(RecordLockWaitMs);
    while (!m_lock->tryLock(0)) {
        if (m_lock->error() != QLockFile::LockFailedError) {
            m_lock.reset();  // no lock file can be made here: nobody else can write either
            return true;
        }
        if (deadline.hasExpired()) {
            m_lock.reset();
            m_whatFailed = QStringLiteral("Запись героя занята другой запущенной игрой и не освободилась за %1 с. "
                                          "Попробуйте ещё раз.")
                               .arg(RecordLockWaitMs / 1000);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500 + QRandomGenerator::global()->bounded(2000)));
    }
    QString failed;
    if (const int error = settle(m_namePath, m_aboutPath, &failed)) {
        m_whatFailed = QStringLiteral("Не удалось завершить прерванную запись героя: файл \"%1\": %2.")
                           .arg(native(failed), failureReason(error));
        release();
        return false;
    }
    return true;
}

void RecordLock::release()
{
    if (m_lock)
        m_lock->unlock();
    m_lock.reset();
}

RecordWriter::RecordWriter(const QString &namePath, const QString &aboutPath) : m_lock(namePath, aboutPath)
{
    m_files[NameFile].target = namePath;
    m_files[AboutFile].target = aboutPath;
}

// A save not carried to its end leaves the old record as it was.
RecordWriter::~RecordWriter()
{
    abandon();
}

void RecordWriter::abandon()
{
    for (Staged &staged : m_files) {
        if (staged.fd >= 0)
            closeQuietly(staged.fd);
        staged.fd = -1;
        staged.closed = false;
        if (!staged.staged.isEmpty())
            removeFile(staged.staged);
        staged.staged.clear();
    }
    m_lock.release();
}

void RecordWriter::step()
{
    if (afterStep)
        afterStep();
}

bool RecordWriter::failWith(const QString &whatFailed)
{
    m_whatFailed = whatFailed;
    abandon();
    return false;
}

bool RecordWriter::fail(const QString &path, int error)
{
    m_failedPath = path;
    m_error = failureReason(error);
    return failWith(cannotWrite(path, error));
}

bool RecordWriter::failFolder(const QString &folder, int error)
{
    m_failedPath = folder;
    m_error = failureReason(error);
    return failWith(QStringLiteral("Не удалось создать папку \"%1\": %2.").arg(native(folder), m_error));
}

bool RecordWriter::open(File file)
{
    Staged &staged = m_files[file];
    QString folder;
    if (const int error = makeFolders(QFileInfo(staged.target).absolutePath(), &folder))
        return failFolder(folder, error);
    if (file == NameFile && !m_lock.acquire()) {
        m_failedPath = staged.target;
        return failWith(m_lock.whatFailed());
    }
    staged.staged = stagedPath(staged.target);
    if (const int error = openForWriting(staged.staged, &staged.fd)) {
        staged.staged.clear();  // nothing of ours is there to remove
        return fail(staged.target, error);
    }
    keepPermissions(staged.fd, staged.target);
    step();
    return true;
}

bool RecordWriter::writeLine(File file, const QString &text)
{
    Staged &staged = m_files[file];
    if (staged.fd < 0)
        return fail(staged.target, EBADF);
    if (const int error = writeAll(staged.fd, recordFileContent(text)))
        return fail(staged.target, error);
    step();
    return true;
}

bool RecordWriter::close(File file)
{
    Staged &staged = m_files[file];
    if (staged.fd < 0)
        return fail(staged.target, EBADF);
    const int error = syncAndClose(staged.fd);
    staged.fd = -1;
    if (error)
        return fail(staged.target, error);
    staged.closed = true;
    step();
    return true;
}

bool RecordWriter::replace()
{
    Staged &name = m_files[NameFile];
    Staged &about = m_files[AboutFile];
    if (!name.closed || !about.closed)
        return fail(name.closed ? about.target : name.target, EBADF);
    if (beforeReplace)
        beforeReplace();

    // A folder in a target's place would stop its replacement half way: found before the marker.
    for (const Staged *staged : {&name, &about})
        if (isFolder(staged->target))
            return fail(staged->target, EISDIR);

    // The marker: from here on the save is finished even if the game is killed.
    const QString marker = markerPath(name.target);
    int fd = -1;
    if (int error = openForWriting(marker, &fd); error || (error = syncAndClose(fd))) {
        removeFile(marker);
        return fail(name.target, error);
    }
    step();
    if (const int error = renameOver(name.staged, name.target)) {
        removeFile(marker);
        return fail(name.target, error);
    }
    name.staged.clear();
    step();
    if (const int error = renameOver(about.staged, about.target)) {
        // The new name is in place and its words are not: the marker stays, so that the next
        // read or save finishes the pair if it can, and reads no hero until then.
        about.staged.clear();
        m_oldRecordIntact = false;
        return fail(about.target, error);
    }
    about.staged.clear();
    step();
    removeFile(marker);
    step();
    name.closed = about.closed = false;
    m_lock.release();
    return true;
}

}  // namespace zarviki
