// SPDX-License-Identifier: GPL-3.0-or-later
// The hero record files byte for byte: what a save writes, what a read takes back, reads of files
// that are no proper record, and saves that fail part of the way.

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QtTest>
#include <QElapsedTimer>
#include <QLockFile>
#include <QRegularExpression>
#include <csignal>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

#include "RecordFiles.h"
#include "halloffame/HeroRecord.h"

using namespace zarviki;
using namespace zarviki::testing;

namespace {

QString dataHome;

QStringList folderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// The whole save as the winner window makes it.
bool save(const QString &name, const QString &about, RecordWriter &w)
{
    return w.open(RecordWriter::NameFile) && w.writeLine(RecordWriter::NameFile, name)
           && w.close(RecordWriter::NameFile) && w.open(RecordWriter::AboutFile)
           && w.writeLine(RecordWriter::AboutFile, about) && w.close(RecordWriter::AboutFile) && w.replace();
}

// The whole read as the last-hero window makes it: the name and the words, or nothing.
std::optional<std::pair<QString, QString>> readPair(const QString &namePath, const QString &aboutPath)
{
    RecordLock lock(namePath, aboutPath);
    if (!lock.acquire())
        return std::nullopt;
    const std::optional<QString> name = readRecordFile(namePath);
    const std::optional<QString> about = name ? readRecordFile(aboutPath) : std::nullopt;
    if (!about)
        return std::nullopt;
    return std::pair(*name, *about);
}

// Waits for a child process: its exit status, or -1 when it did not exit by itself.
int exitStatus(pid_t child)
{
    int status = 0;
    if (::waitpid(child, &status, 0) != child)
        return -2;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

class HeroRecordTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> dir;
    QString namePath, aboutPath;

private slots:
    void initTestCase() { dataHome = useTemporaryDataHome(); }

    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        namePath = dir->filePath(QStringLiteral("имя"));
        aboutPath = dir->filePath(QStringLiteral("о_себе"));
    }

    void pathsAreTheGameFolderInTheDataLocation()
    {
        const QString folder = dataHome + QStringLiteral("/zarviki/");
        QCOMPARE(heroNamePath(), folder + QString::fromUtf16(u"\u0438\u043C\u044F"));
        QCOMPARE(heroAboutPath(), folder + QString::fromUtf16(u"\u043E\u005F\u0441\u0435\u0431\u0435"));
        QCOMPARE(encodeRecordText(QFileInfo(heroNamePath()).fileName()), QByteArray("\xE8\xEC\xFF"));
        QCOMPARE(encodeRecordText(QFileInfo(heroAboutPath()).fileName()), QByteArray("\xEE\x5F\xF1\xE5\xE1\xE5"));
    }

    void writtenBytes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("User: six bytes") << QStringLiteral("User") << QByteArray("User\r\n");
        QTest::newRow("empty: CR LF") << QString() << QByteArray("\r\n");
        QTest::newRow("Cyrillic") << QStringLiteral("Ёжик в тумане")
                                  << QByteArray("\xA8\xE6\xE8\xEA \xE2 \xF2\xF3\xEC\xE0\xED\xE5\r\n");
        QTest::newRow("line break kept") << QStringLiteral("раз\r\nдва") << QByteArray("\xF0\xE0\xE7\r\n\xE4\xE2\xE0\r\n");
        QTest::newRow("spaces kept, no trimming") << QStringLiteral("  a \"b\" ") << QByteArray("  a \"b\" \r\n");
        QTest::newRow("euro and no-break space") << QStringLiteral("5\u00A0€") << QByteArray("5\xA0\x88\r\n");
        QTest::newRow("U+0098 is 0x98") << QStringLiteral("\u0098") << QByteArray("\x98\r\n");
        QTest::newRow("control 0x1A is itself") << QStringLiteral("\x1A") << QByteArray("\x1A\r\n");
        QTest::newRow("unrepresentable: ?") << QStringLiteral("a\u00E9b\u4E2D") << QByteArray("a?b?\r\n");
        QTest::newRow("surrogate pair: one ?") << QString::fromUtf8("x\xF0\x9F\x98\x80y") << QByteArray("x?y\r\n");
        QTest::newRow("lone surrogate: ?") << QString(QChar(0xD800)) + QStringLiteral("я") << QByteArray("?\xFF\r\n");
    }

    void writtenBytes()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(recordFileContent(text), bytes);
        RecordWriter w(namePath, aboutPath);
        QVERIFY(save(text, QStringLiteral("о себе"), w));
        QCOMPARE(bytesOf(namePath), bytes);
        QCOMPARE(bytesOf(aboutPath), QByteArray("\xEE \xF1\xE5\xE1\xE5\r\n"));
    }

    void firstLineRead_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("reads");
        QTest::addColumn<QString>("line");
        QTest::newRow("CR LF") << QByteArray("User\r\n") << true << QStringLiteral("User");
        QTest::newRow("just CR LF: empty") << QByteArray("\r\n") << true << QString();
        QTest::newRow("first byte CR") << QByteArray("\rrest") << true << QString();
        QTest::newRow("zero bytes fail") << QByteArray("") << false << QString();
        QTest::newRow("no CR: whole file") << QByteArray("abc") << true << QStringLiteral("abc");
        QTest::newRow("LF alone is text") << QByteArray("a\nb\n") << true << QStringLiteral("a\nb\n");
        QTest::newRow("LF text up to CR") << QByteArray("a\nb\rc\r\n") << true << QStringLiteral("a\nb");
        QTest::newRow("only the first line") << QByteArray("one\r\ntwo\r\n") << true << QStringLiteral("one");
        QTest::newRow("CR without LF ends it") << QByteArray("one\rtwo") << true << QStringLiteral("one");
        QTest::newRow("Cyrillic") << QByteArray("\xC3\xE5\xF0\xEE\xE9\r\n") << true << QStringLiteral("Герой");
        QTest::newRow("NUL bytes kept") << QByteArray("A\0B\0\r\n", 6) << true << QString::fromUtf16(u"A\0B\0", 4);
        QTest::newRow("just NUL") << QByteArray("\0", 1) << true << QString(QChar(0));
        QTest::newRow("byte 0x98") << QByteArray("\x98x\r\n") << true << QStringLiteral("\u0098x");
    }

    void firstLineRead()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, reads);
        QFETCH(QString, line);
        QCOMPARE(firstRecordLine(bytes).has_value(), reads);
        putBytes(namePath, bytes);
        const std::optional<QString> got = readRecordFile(namePath);
        QCOMPARE(got.has_value(), reads);
        if (reads) {
            QCOMPARE(*got, line);
            QCOMPARE(*firstRecordLine(bytes), line);
        }
    }

    void missingFileFails()
    {
        QString why;
        QVERIFY(!readRecordFile(namePath, &why));
        QVERIFY(!why.isEmpty());
    }

    void oddRecordFileFailsAtOnce_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("directory") << int(NotAFile::Directory);
        QTest::newRow("FIFO") << int(NotAFile::Fifo);
        QTest::newRow("link to /dev/zero") << int(NotAFile::LinkToDevZero);
        QTest::newRow("50 MB without CR") << int(NotAFile::Huge50MBWithoutCr);
    }

    void oddRecordFileFailsAtOnce()
    {
        QFETCH(int, kind);
        putNotAFile(namePath, NotAFile(kind));
        // A FIFO without a writer or /dev/zero would hang an ordinary read; nothing here may block.
        QVERIFY(!readRecordFile(namePath));
    }

    void longestFirstLine_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("reads");
        const QByteArray full(MaxRecordLineBytes, 'a');
        QTest::newRow("1 MiB, no CR") << full << true;
        QTest::newRow("1 MiB and CR LF") << full + "\r\n" << true;
        QTest::newRow("1 MiB and one byte") << full + "a" << false;
        QTest::newRow("long line after a short one") << QByteArray("ok\r\n") + full + full << true;
    }

    void longestFirstLine()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, reads);
        putBytes(namePath, bytes);
        const std::optional<QString> got = readRecordFile(namePath);
        QCOMPARE(got.has_value(), reads);
        if (reads)
            QCOMPARE(got->size(), std::min<qsizetype>(bytes.indexOf('\r') < 0 ? bytes.size() : bytes.indexOf('\r'),
                                                      MaxRecordLineBytes));
    }

    void readerReleasesTheFile()
    {
        putBytes(namePath, "old\r\n");
        {
            RecordReader r;
            QVERIFY(r.open(namePath));
            QCOMPARE(r.readFirstLine(), std::optional<QString>(QStringLiteral("old")));
        }
        // Nothing keeps the file: a save replaces it, and there is no descriptor left over.
        RecordWriter w(namePath, aboutPath);
        QVERIFY(save(QStringLiteral("new"), QString(), w));
        QCOMPARE(bytesOf(namePath), QByteArray("new\r\n"));
        const int before = QDir(QStringLiteral("/proc/self/fd")).count();
        for (int i = 0; i < 50; ++i) {
            putBytes(aboutPath, "");
            QVERIFY(!readRecordFile(aboutPath));  // fails after opening
            QVERIFY(!readRecordFile(dir->path()));
        }
        QCOMPARE(QDir(QStringLiteral("/proc/self/fd")).count(), before);
    }

    void secondSaveReplacesAll()
    {
        RecordWriter first(namePath, aboutPath);
        QVERIFY(save(QStringLiteral("Длинное имя героя"), QStringLiteral("много\r\nслов"), first));
        const auto ownerOnly = QFile::ReadOwner | QFile::WriteOwner;
        QVERIFY(QFile::setPermissions(namePath, ownerOnly));
        RecordWriter second(namePath, aboutPath);
        QVERIFY(save(QStringLiteral("Я"), QString(), second));
        QCOMPARE(QFile::permissions(namePath) & ~(QFile::ReadUser | QFile::WriteUser), ownerOnly);  // kept
        QCOMPARE(bytesOf(namePath), QByteArray("\xDF\r\n"));
        QCOMPARE(bytesOf(aboutPath), QByteArray("\r\n"));
        QCOMPARE(folderEntries(dir->path()), QStringList({QStringLiteral("имя"), QStringLiteral("о_себе")}));
    }

    void saveCreatesTheFolder()
    {
        const QString folder = dir->filePath(QStringLiteral("a/b"));
        RecordWriter w(folder + QStringLiteral("/имя"), folder + QStringLiteral("/о_себе"));
        QVERIFY(save(QStringLiteral("User"), QString(), w));
        QCOMPARE(bytesOf(folder + QStringLiteral("/имя")), QByteArray("User\r\n"));
    }

    // Every failure names the file, gives a reason, and leaves the old record as it was.
    void failedSaveLeavesTheOldRecord_data()
    {
        QTest::addColumn<QString>("breakWhat");
        QTest::addColumn<bool>("nameFails");
        QTest::newRow("directory in place of the name file") << QStringLiteral("name-dir") << true;
        QTest::newRow("directory in place of the about file") << QStringLiteral("about-dir") << false;
        QTest::newRow("folder is a regular file") << QStringLiteral("folder-file") << true;
        QTest::newRow("about file under a regular file") << QStringLiteral("about-under-file") << false;
    }

    void failedSaveLeavesTheOldRecord()
    {
        QFETCH(QString, breakWhat);
        QFETCH(bool, nameFails);
        putBytes(namePath, "Old\r\n");
        putBytes(aboutPath, "old words\r\n");
        QString n = namePath, a = aboutPath;
        if (breakWhat == QLatin1String("name-dir"))
            putNotAFile(namePath, NotAFile::Directory);
        else if (breakWhat == QLatin1String("about-dir"))
            putNotAFile(aboutPath, NotAFile::Directory);
        else if (breakWhat == QLatin1String("folder-file"))
            n = namePath + QStringLiteral("/имя"), a = namePath + QStringLiteral("/о_себе");
        else
            a = namePath + QStringLiteral("/о_себе");
        const QStringList before = folderEntries(dir->path());

        RecordWriter w(n, a);
        QVERIFY(!save(QStringLiteral("New"), QStringLiteral("new words"), w));
        QCOMPARE(w.failedPath(), nameFails ? n : a);
        QVERIFY(!w.errorString().isEmpty());
        QVERIFY(w.oldRecordIntact());
        if (breakWhat != QLatin1String("name-dir"))
            QCOMPARE(bytesOf(namePath), QByteArray("Old\r\n"));
        if (breakWhat != QLatin1String("about-dir"))
            QCOMPARE(bytesOf(aboutPath), QByteArray("old words\r\n"));
        QCOMPARE(folderEntries(dir->path()), before);  // no half-written files left behind
    }

    // A folder the player may not write to. Root writes anywhere, so the save is then made by a
    // child process as the user "nobody".
    void readOnlyFolderKeepsTheOldRecord()
    {
        putBytes(namePath, "Old\r\n");
        putBytes(aboutPath, "old words\r\n");
        const auto readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                              | QFile::ReadOther | QFile::ExeOther;
        // The files themselves may be written; only the folder may not.
        for (const QString &file : {namePath, aboutPath})
            QVERIFY(QFile::setPermissions(file, readOnly | QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther));
        QVERIFY(QFile::setPermissions(dir->path(), readOnly));
        const QStringList before = folderEntries(dir->path());

        int report[2];
        QCOMPARE(::pipe(report), 0);
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            ::close(report[0]);
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
                ::_exit(3);
            RecordWriter w(namePath, aboutPath);
            const bool saved = save(QStringLiteral("New"), QStringLiteral("new"), w);
            const QByteArray what = (w.failedPath() + QLatin1Char('\n') + w.errorString()).toUtf8();
            const bool told = ::write(report[1], what.constData(), size_t(what.size())) == what.size();
            ::_exit(saved ? 0 : told && w.oldRecordIntact() ? 1 : 2);
        }
        ::close(report[1]);
        QByteArray what;
        char chunk[512];
        for (ssize_t got; (got = ::read(report[0], chunk, sizeof chunk)) > 0;)
            what.append(chunk, got);
        ::close(report[0]);
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QFile::setPermissions(dir->path(), readOnly | QFile::WriteOwner);

        QVERIFY(WIFEXITED(status));
        if (WEXITSTATUS(status) == 3)
            QSKIP("this machine lets root take no other user's part");
        QCOMPARE(WEXITSTATUS(status), 1);
        const QStringList told = QString::fromUtf8(what).split(QLatin1Char('\n'));
        QCOMPARE(told.value(0), namePath);
        QCOMPARE(told.value(1), QStringLiteral("нет прав на запись"));
        QCOMPARE(bytesOf(namePath), QByteArray("Old\r\n"));
        QCOMPARE(bytesOf(aboutPath), QByteArray("old words\r\n"));
        QCOMPARE(folderEntries(dir->path()), before);
    }

    void secondReplacementFailsAndTheFirstIsPutBack_data()
    {
        QTest::addColumn<bool>("oldRecord");
        QTest::newRow("old record: restored byte for byte") << true;
        QTest::newRow("no old record: name file removed") << false;
    }

    void secondReplacementFailsAndTheFirstIsPutBack()
    {
        QFETCH(bool, oldRecord);
        const QByteArray oldName("\xD1\xF2\xE0\xF0\xFB\xE9\r\n\xEB\xE8\xF8\xED\xE5\xE5", 14);
        if (oldRecord)
            putBytes(namePath, oldName);

        RecordWriter w(namePath, aboutPath);
        // Both files are written; then something takes the about file's place.
        w.beforeReplace = [this] { putNotAFile(aboutPath, NotAFile::Directory); };
        QVERIFY(!save(QStringLiteral("New"), QStringLiteral("new"), w));
        QCOMPARE(w.failedPath(), aboutPath);
        QVERIFY(w.oldRecordIntact());
        if (oldRecord)
            QCOMPARE(bytesOf(namePath), oldName);
        else
            QVERIFY(!QFileInfo::exists(namePath));
        QStringList expected{QStringLiteral("о_себе")};
        if (oldRecord)
            expected.prepend(QStringLiteral("имя"));
        QCOMPARE(folderEntries(dir->path()), expected);
    }

    void writerDroppedHalfWayWritesNothing()
    {
        putBytes(namePath, "Old\r\n");
        {
            RecordWriter w(namePath, aboutPath);
            QVERIFY(w.open(RecordWriter::NameFile));
            QVERIFY(w.writeLine(RecordWriter::NameFile, QStringLiteral("New")));
            QVERIFY(w.close(RecordWriter::NameFile));
        }
        QCOMPARE(bytesOf(namePath), QByteArray("Old\r\n"));
        QCOMPARE(folderEntries(dir->path()), QStringList{QStringLiteral("имя")});
    }

    // A link in place of the hero-name file, pointing nowhere or at a file elsewhere: the save
    // puts a regular file in its place, and the next read shows the new record.
    void linkInPlaceOfTheNameFileIsReplaced_data()
    {
        QTest::addColumn<bool>("dangling");
        QTest::newRow("dangling link") << true;
        QTest::newRow("link to a file elsewhere") << false;
    }

    void linkInPlaceOfTheNameFileIsReplaced()
    {
        QFETCH(bool, dangling);
        const QString target = dir->filePath(QStringLiteral("elsewhere/target"));
        QDir().mkpath(QFileInfo(target).path());
        if (!dangling)
            putBytes(target, "Old\r\n");
        QVERIFY(QFile::link(target, namePath));
        RecordWriter w(namePath, aboutPath);
        QVERIFY(save(QStringLiteral("New"), QStringLiteral("new"), w));
        QVERIFY(!QFileInfo(namePath).isSymLink());
        QCOMPARE(readPair(namePath, aboutPath), std::pair(QStringLiteral("New"), QStringLiteral("new")));
        QCOMPARE(QFileInfo::exists(target), !dangling);  // what the link pointed at is left alone
    }

    // The reasons a player meets are Russian sentences; the system's English text is kept only
    // for the rare rest, and then after Russian words.
    void failureReasonsAreRussian_data()
    {
        QTest::addColumn<int>("error");
        for (const auto &[name, error] : std::initializer_list<std::pair<const char *, int>>{
                 {"EACCES", EACCES}, {"EPERM", EPERM}, {"EROFS", EROFS}, {"ENOSPC", ENOSPC}, {"EDQUOT", EDQUOT},
                 {"ENOTDIR", ENOTDIR}, {"EISDIR", EISDIR}, {"ENOENT", ENOENT}, {"ENAMETOOLONG", ENAMETOOLONG},
                 {"ELOOP", ELOOP}, {"EMLINK", EMLINK}, {"EIO", EIO}})
            QTest::newRow(name) << error;
    }

    void failureReasonsAreRussian()
    {
        QFETCH(int, error);
        const QString reason = failureReason(error);
        QVERIFY(reason.size() > 5);
        QVERIFY2(!reason.contains(QRegularExpression(QStringLiteral("[A-Za-z]"))), qPrintable(reason));
        QVERIFY(failureReason(EXDEV).startsWith(QStringLiteral("ошибка системы")));
    }

    // A data folder that cannot be made is named, with the reason.
    void folderThatCannotBeMadeIsNamed()
    {
        const QString blocker = dir->filePath(QStringLiteral("blocker"));
        putBytes(blocker, "a file, not a folder");
        const QString folder = blocker + QStringLiteral("/data/zarviki");
        RecordWriter w(folder + QStringLiteral("/имя"), folder + QStringLiteral("/о_себе"));
        QVERIFY(!save(QStringLiteral("New"), QStringLiteral("new"), w));
        QCOMPARE(w.failedPath(), blocker + QStringLiteral("/data"));
        QCOMPARE(w.whatFailed(), QStringLiteral("Не удалось создать папку \"%1/data\": на пути стоит файл, а не папка.")
                                     .arg(QDir::toNativeSeparators(blocker)));
    }

    // Another game holding the record: the save waits its while, then says so, and the old
    // record stays.
    void busyRecordWaitsThenTellsSo()
    {
        putBytes(namePath, "Old\r\n");
        putBytes(aboutPath, "old\r\n");
        QLockFile otherGame(namePath + QStringLiteral(".lock"));
        QVERIFY(otherGame.tryLock());
        QElapsedTimer waited;
        waited.start();
        RecordWriter w(namePath, aboutPath);
        QVERIFY(!save(QStringLiteral("New"), QStringLiteral("new"), w));
        QVERIFY2(waited.elapsed() >= RecordLockWaitMs - 20 && waited.elapsed() < RecordLockWaitMs + 1000,
                 qPrintable(QString::number(waited.elapsed())));
        QVERIFY2(w.whatFailed().startsWith(QStringLiteral("Запись героя занята другой запущенной игрой")),
                 qPrintable(w.whatFailed()));
        QVERIFY(w.oldRecordIntact());
        otherGame.unlock();
        QCOMPARE(readPair(namePath, aboutPath), std::pair(QStringLiteral("Old"), QStringLiteral("old")));
    }

    // Two games save 500 records each while a third reads 1,000 times: every pair read is one
    // that some save wrote whole, and no save or read fails.
    void twoGamesSaveWhileAThirdReads()
    {
        // In memory where there is a memory file system: the point is the lock, not the disk.
        QTemporaryDir shared(QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/zarviki-XXXXXX")
                                                                        : QString());
        QVERIFY(shared.isValid());
        const QString n = shared.filePath(QStringLiteral("имя")), a = shared.filePath(QStringLiteral("о_себе"));
        RecordWriter first(n, a);
        QVERIFY(save(QStringLiteral("start"), QStringLiteral("start слова"), first));

        pid_t games[3];
        for (int g = 0; g < 3; ++g) {
            games[g] = ::fork();
            QVERIFY(games[g] >= 0);
            if (games[g] != 0)
                continue;
            int bad = 0;
            for (int i = 0; i < (g < 2 ? 500 : 1000); ++i) {
                if (g < 2) {
                    const QString name = QStringLiteral("игра %1, запись %2").arg(g).arg(i);
                    RecordWriter w(n, a);
                    bad += !save(name, name + QStringLiteral(" слова"), w);
                } else {
                    const auto read = readPair(n, a);
                    bad += !read || read->second != read->first + QStringLiteral(" слова");
                }
            }
            ::_exit(std::min(bad, 100));
        }
        for (pid_t game : games)
            QCOMPARE(exitStatus(game), 0);
        QCOMPARE(folderEntries(shared.path()), QStringList({QStringLiteral("имя"), QStringLiteral("о_себе")}));
    }

    // The game killed at each step of a save in turn: the next read shows the old record up to
    // some step and the new one from there on, never a mix and never nothing, and nothing of
    // the save is left over.
    void saveKilledAtEachStep()
    {
        const auto oldPair = std::pair(QStringLiteral("Старый"), QStringLiteral("старые слова"));
        const auto newPair = std::pair(QStringLiteral("Новый"), QStringLiteral("новые слова"));
        QString outcomes;  // "o" for the old record read back, "n" for the new one
        for (int killAt = 1; killAt < 100; ++killAt) {
            RecordWriter before(namePath, aboutPath);
            QVERIFY(save(oldPair.first, oldPair.second, before));
            const pid_t game = ::fork();
            QVERIFY(game >= 0);
            if (game == 0) {
                RecordWriter w(namePath, aboutPath);
                int steps = 0;
                w.afterStep = [&] {
                    if (++steps == killAt)
                        ::raise(SIGKILL);
                };
                ::_exit(save(newPair.first, newPair.second, w) ? 0 : 1);
            }
            const int status = exitStatus(game);
            if (status == 0)
                break;  // no step was left to kill it at
            QCOMPARE(status, -1);
            const auto read = readPair(namePath, aboutPath);
            QVERIFY2(read == oldPair || read == newPair, qPrintable(QStringLiteral("killed at step %1").arg(killAt)));
            outcomes += read == oldPair ? QLatin1Char('o') : QLatin1Char('n');
            QCOMPARE(folderEntries(dir->path()), QStringList({QStringLiteral("имя"), QStringLiteral("о_себе")}));
        }
        qInfo("killed at %d steps: %s", int(outcomes.size()), qPrintable(outcomes));
        QVERIFY2(QRegularExpression(QStringLiteral("^o+n+$")).match(outcomes).hasMatch(), qPrintable(outcomes));
    }
};

QTEST_GUILESS_MAIN(HeroRecordTest)

#include "tst_herorecord.moc"
