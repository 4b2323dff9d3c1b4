// SPDX-License-Identifier: GPL-3.0-or-later
// The hero record against a hostile folder on POSIX: lock files left by dead or foreign games,
// stray markers, pipes, links and folders at the staged paths, folders the player cannot write,
// games killed at every step of a save, and games that save and read at once.

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "RecordFiles.h"
#include "PlatformFiles.h"
#include "halloffame/HeroRecord.h"

using namespace zarviki;
using namespace zarviki::testing;

namespace {

constexpr uid_t Nobody = 65534;

// Below the record's file layer, the system calls as the kernel answered them: the name of each file
// or folder put on the disk, and a close that fails, as a network file system's may.
QStringList *kernelSynced = nullptr;
QString closeFails;

QString nameOf(int fd)
{
    char path[4096];
    const ssize_t n = ::readlink(("/proc/self/fd/" + QByteArray::number(fd)).constData(), path, sizeof path);
    return n < 0 ? QString() : QFileInfo(QFile::decodeName(QByteArray(path, n))).fileName();
}

}  // namespace

extern "C" int fsync(int fd)
{
    const long synced = ::syscall(SYS_fsync, fd);
    if (kernelSynced && synced == 0)
        *kernelSynced << QStringLiteral("fsync ") + nameOf(fd);
    return int(synced);
}

extern "C" int close(int fd)
{
    const bool failing = !closeFails.isEmpty() && nameOf(fd) == closeFails;
    const long closed = ::syscall(SYS_close, fd);
    return failing ? (errno = EIO, -1) : int(closed);
}

namespace {

// Waits for a child process: its exit status, or -1 when it did not exit by itself.
int exitStatus(pid_t child)
{
    int status = 0;
    if (::waitpid(child, &status, 0) != child)
        return -2;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs `work` in a child process, as the user "nobody" when asked (root may write anywhere), and
// returns what it reported; "skip" when this machine cannot take another user's part.
QString inChild(bool asNobody, const std::function<QString()> &work)
{
    int report[2];
    if (::pipe(report) != 0)
        return QStringLiteral("no pipe");
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(report[0]);
        if (asNobody && (::geteuid() != 0 || ::setgid(Nobody) != 0 || ::setuid(Nobody) != 0))
            ::_exit(3);
        const QByteArray what = work().toUtf8();
        ::_exit(::write(report[1], what.constData(), size_t(what.size())) == what.size() ? 0 : 2);
    }
    ::close(report[1]);
    QByteArray what;
    char chunk[512];
    for (ssize_t got; (got = ::read(report[0], chunk, sizeof chunk)) > 0;)
        what.append(chunk, got);
    ::close(report[0]);
    const int status = exitStatus(child);
    return status == 3 ? QStringLiteral("skip") : status == 0 ? QString::fromUtf8(what) : QStringLiteral("died");
}

// A save of New/new words killed in a child process right after the named call on the path.
void killSaveAfter(const QString &namePath, const QString &aboutPath, const char *call, const QString &path)
{
    const pid_t game = ::fork();
    if (game == 0) {
        recordfs::watch() = [&](const char *done, const QString &on) {
            if (qstrcmp(done, call) == 0 && (path.isEmpty() || on == path))
                ::raise(SIGKILL);
        };
        RecordWriter w(namePath, aboutPath);
        ::_exit(save(QStringLiteral("New"), QStringLiteral("new words"), w) ? 0 : 1);
    }
    if (exitStatus(game) != -1)
        qFatal("the save was not killed after %s", call);
}

}  // namespace

class HeroRecordPosixTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> dir;
    QString namePath, aboutPath;

    QString at(const char *name) const { return dir->filePath(QString::fromUtf8(name)); }

private slots:
    void initTestCase() { useTemporaryDataHome(); }

    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        namePath = at("имя");
        aboutPath = at("о_себе");
        recordfs::watch() = nullptr;
        closeFails.clear();
    }

    // Each hostile state of the folder: what a read shows, what a save then says (nothing when it
    // saves), and what stays in the folder after both. Rows marked "as nobody" read and save as a
    // player who is not root.
    void hostileFolder_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("asNobody");
        QTest::addColumn<QString>("reads");
        QTest::addColumn<QString>("saveSays");
        QTest::addColumn<QStringList>("left");
        const QStringList clean{QStringLiteral("имя"), QStringLiteral("имя.lock"), QStringLiteral("о_себе")};
        const QString old = QStringLiteral("Old/old words");
        const QString newer = QStringLiteral("New/new words");
        QTest::newRow("empty lock of a game killed while locking") << QStringLiteral("empty lock") << false << old << QString() << clean;
        QTest::newRow("lock file of another user") << QStringLiteral("foreign lock") << true << old << QString() << clean;
        QTest::newRow("root's lock file nobody may open") << QStringLiteral("mode-000 lock") << true << old << QString() << clean;
        QTest::newRow("folder in place of the lock file") << QStringLiteral("lock folder") << false << old << QString() << clean;
        QTest::newRow("dangling link in place of the lock file") << QStringLiteral("lock link") << false << old << QString() << clean;
        QTest::newRow("stray marker beside a stray name") << QStringLiteral("stray marker") << false << old << QString() << clean;
        QTest::newRow("marker of a save whose words changed") << QStringLiteral("mismatched marker") << false << old << QString() << clean;
        QTest::newRow("matching marker beside a link at the staged name") << QStringLiteral("linked staged name") << false << old << QString() << clean;
        for (const char *size : {"2000000000", "9223372036854775807"})
            QTest::addRow("marker stating %s bytes", size) << QStringLiteral("huge marker %1").arg(QLatin1String(size)) << false << old << QString() << clean;
        QTest::newRow("closing the staged name fails") << QStringLiteral("failing close") << false << old
                                                       << QStringLiteral("Не удалось записать файл \"%1\": ошибка ввода-вывода на диске.") << clean;
        for (const char *path : {"имя.commit", "имя.new", "о_себе.new"}) {
            for (const char *kind : {"FIFO", "link", "folder", "folder-link"})
                QTest::newRow(qPrintable(QStringLiteral("%1 at %2").arg(QLatin1String(kind), QString::fromUtf8(path))))
                    << QStringLiteral("%1 %2").arg(QLatin1String(kind), QString::fromUtf8(path)) << false << old << QString()
                    << clean;
        }
        QTest::newRow("FIFOs put at the marker and the words' staged path during the save") << QStringLiteral("FIFO during save") << false << old << QString() << clean;
        QTest::newRow("read-only folder, no lock file, save killed between the renames")
            << QStringLiteral("read-only, renamed") << true << newer
            << QStringLiteral("Не удалось завершить прерванную запись героя: файл \"%1\": нет прав на запись.")
            << QStringList{QStringLiteral("имя"), QStringLiteral("имя.commit"), QStringLiteral("о_себе"),
                           QStringLiteral("о_себе.new")};
        QTest::newRow("read-only folder, save killed after its marker")
            << QStringLiteral("read-only, marked") << true << newer
            << QStringLiteral("Не удалось завершить прерванную запись героя: файл \"%1\": нет прав на запись.")
            << QStringList{QStringLiteral("имя"), QStringLiteral("имя.commit"), QStringLiteral("имя.lock"),
                           QStringLiteral("имя.new"), QStringLiteral("о_себе"), QStringLiteral("о_себе.new")};
        QTest::newRow("folder turns read-only after the marker")
            << QStringLiteral("read-only after marker") << true << old
            << QStringLiteral("Не удалось записать файл \"%1\": нет прав на запись.")
            << QStringList{QStringLiteral("имя"), QStringLiteral("имя.commit"), QStringLiteral("имя.lock"),
                           QStringLiteral("имя.new"), QStringLiteral("о_себе"), QStringLiteral("о_себе.new")};
    }

    void hostileFolder()
    {
        QFETCH(QString, state);
        QFETCH(bool, asNobody);
        QFETCH(QString, reads);
        QFETCH(QString, saveSays);
        QFETCH(QStringList, left);
        {
            RecordWriter w(namePath, aboutPath);
            QVERIFY(save(QStringLiteral("Old"), QStringLiteral("old words"), w));
        }
        QFile::remove(at("имя.lock"));
        const QString elsewhere = at("away/elsewhere");
        putBytes(elsewhere, "Elsewhere\r\n");
        const QStringList words = state.split(QLatin1Char(' '));
        QString failedPath = namePath;
        bool readOnly = false;
        std::function<void(const char *, const QString &)> duringSave;

        if (state == QLatin1String("empty lock")) {
            putBytes(at("имя.lock"), "");
        } else if (state == QLatin1String("foreign lock") || state == QLatin1String("mode-000 lock")) {
            putBytes(at("имя.lock"), "");
            QVERIFY(QFile::setPermissions(at("имя.lock"), state.startsWith(QLatin1String("foreign"))
                                                                  ? QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther
                                                                  : QFile::Permissions()));
        } else if (state == QLatin1String("lock folder")) {
            QVERIFY(QDir().mkdir(at("имя.lock")));
        } else if (state == QLatin1String("lock link")) {
            QVERIFY(QFile::link(at("away/made"), at("имя.lock")));
        } else if (state == QLatin1String("stray marker")) {
            putBytes(at("имя.commit"), "");
            putBytes(at("имя.new"), "Stray\r\n");
        } else if (state == QLatin1String("mismatched marker")) {
            killSaveAfter(namePath, aboutPath, "sync folder", {});
            putBytes(at("о_себе.new"), "old words\r\n");  // the same size as the words it marked
        } else if (state == QLatin1String("linked staged name")) {
            killSaveAfter(namePath, aboutPath, "sync folder", {});
            QVERIFY(QFile::rename(at("имя.new"), at("away/new")) && QFile::link(at("away/new"), at("имя.new")));
        } else if (words.at(0) == QLatin1String("huge")) {
            killSaveAfter(namePath, aboutPath, "sync folder", {});
            putBytes(at("имя.commit"), bytesOf(at("имя.commit")).replace("\n5 ", "\n" + words.at(2).toLatin1() + ' '));
            QVERIFY(QFile::resize(at("имя.new"), 1000 * 1000 * 1000));
        } else if (state == QLatin1String("failing close")) {
            closeFails = QStringLiteral("имя.new");
        } else if (words.size() == 2 && words.at(1).contains(QLatin1Char('.'))) {
            const QString path = dir->filePath(words.at(1));
            if (words.at(0) == QLatin1String("FIFO"))
                putNotAFile(path, NotAFile::Fifo);
            else if (words.at(0) == QLatin1String("link"))
                QVERIFY(QFile::link(elsewhere, path));
            else if (words.at(0) == QLatin1String("folder-link"))
                QVERIFY(QFile::link(at("away"), path));
            else
                putNotAFile(path, NotAFile::Directory);
        } else if (state == QLatin1String("FIFO during save")) {
            duringSave = [this](const char *call, const QString &path) {
                if (qstrcmp(call, "create") == 0 && path == namePath + QStringLiteral(".new")) {
                    putNotAFile(at("о_себе.new"), NotAFile::Fifo);
                    putNotAFile(at("имя.commit"), NotAFile::Fifo);
                }
            };
        } else if (state == QLatin1String("read-only, renamed")) {
            killSaveAfter(namePath, aboutPath, "rename", namePath);
            QFile::remove(at("имя.lock"));
            failedPath = aboutPath;
            readOnly = true;
        } else if (state == QLatin1String("read-only, marked")) {
            killSaveAfter(namePath, aboutPath, "sync folder", {});
            failedPath = namePath;
            readOnly = true;
        } else if (state == QLatin1String("read-only after marker")) {
            duringSave = [this](const char *call, const QString &) {
                if (qstrcmp(call, "sync folder") == 0)
                    QFile::setPermissions(dir->path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther
                                                           | QFile::ExeOther);
            };
        } else {
            QFAIL("no such state");
        }
        // A player who is not root: the folder is theirs to write, or not at all.
        const auto all = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther
                         | QFile::ExeOther;
        QVERIFY(QFile::setPermissions(dir->path(),
                                      readOnly ? all : all | QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther));
        if (state == QLatin1String("read-only after marker"))
            QCOMPARE(::chown(QFile::encodeName(dir->path()).constData(), Nobody, Nobody), 0);

        const QString told = inChild(asNobody, [&] {
            QElapsedTimer took;
            took.start();
            const QString read = shown(readHeroRecord(namePath, aboutPath));
            if (took.elapsed() > 1000)
                return QStringLiteral("read took %1 ms").arg(took.elapsed());
            recordfs::watch() = duringSave;
            RecordWriter w(namePath, aboutPath);
            const bool saved = save(QStringLiteral("Saved"), QStringLiteral("saved words"), w);
            return read + QLatin1Char('\n') + (saved ? QString() : w.whatFailed());
        });
        QFile::setPermissions(dir->path(), all | QFile::WriteOwner);
        if (told == QLatin1String("skip"))
            QSKIP("this machine lets no test take another user's part");
        const QStringList lines = told.split(QLatin1Char('\n'));
        QCOMPARE(lines.value(0), reads);
        QCOMPARE(lines.value(1), saveSays.isEmpty() ? QString() : saveSays.arg(failedPath));
        QStringList entries = folderEntries(dir->path());
        entries.removeAll(QStringLiteral("away"));
        QCOMPARE(entries, left);
        QCOMPARE(bytesOf(elsewhere), QByteArray("Elsewhere\r\n"));  // what a link pointed at is left alone
        QVERIFY(!QFileInfo::exists(at("away/made")));                 // and nothing is made where one points
        // Once the folder may be written again, the record read is whole.
        const QString after = shown(readHeroRecord(namePath, aboutPath));
        QCOMPARE(after, saveSays.isEmpty() ? QStringLiteral("Saved/saved words") : reads);
    }

    // A save killed at each call it makes in turn: the next read shows the old record up to some
    // call and the new one from there on, never a mix and never nothing, and leaves nothing of the
    // save behind. A read that finishes a save puts the marker and the staged files on the disk
    // before its first rename, and the folder before and after the renames, before the marker
    // goes; each sync it tells of, the kernel saw.
    void saveKilledAtEachStep()
    {
        const QString oldPair = QStringLiteral("Старый/старые слова"), newPair = QStringLiteral("Новый/новые слова");
        QString outcomes;  // "o" for the old record read back, "n" for the new one
        for (int killAt = 1; killAt < 100; ++killAt) {
            {
                RecordWriter before(namePath, aboutPath);
                QVERIFY(save(QStringLiteral("Старый"), QStringLiteral("старые слова"), before));
            }
            const pid_t game = ::fork();
            QVERIFY(game >= 0);
            if (game == 0) {
                int calls = 0;
                recordfs::watch() = [&](const char *, const QString &) {
                    if (++calls == killAt)
                        ::raise(SIGKILL);
                };
                RecordWriter w(namePath, aboutPath);
                ::_exit(save(QStringLiteral("Новый"), QStringLiteral("новые слова"), w) ? 0 : 1);
            }
            const int status = exitStatus(game);
            if (status == 0)
                break;  // no call was left to kill it at
            QCOMPARE(status, -1);
            QStringList calls;
            QStringList durable = folderEntries(dir->path()).filter(QStringLiteral(".new"));
            durable.replaceInStrings(QRegularExpression(QStringLiteral("^")), QStringLiteral("sync "));
            kernelSynced = &calls;
            recordfs::watch() = [&](const char *call, const QString &path) {
                calls << QString::fromLatin1(call) + QLatin1Char(' ') + QFileInfo(path).fileName();
            };
            const QString read = shown(readHeroRecord(namePath, aboutPath));
            recordfs::watch() = nullptr;
            kernelSynced = nullptr;
            QVERIFY2(read == oldPair || read == newPair, qPrintable(QStringLiteral("killed at call %1").arg(killAt)));
            outcomes += read == oldPair ? QLatin1Char('o') : QLatin1Char('n');
            const QString said = calls.join(QStringLiteral(", "));
            for (qsizetype i = 0; i < calls.size(); ++i)
                if (calls.at(i).startsWith(QLatin1String("sync")))
                    QVERIFY2(calls.value(i - 1) == QStringLiteral("fsync ") + calls.at(i).section(QLatin1Char(' '), -1), qPrintable(said));
            const QString folder = QStringLiteral("sync folder ") + QFileInfo(dir->path()).fileName();
            if (const qsizetype renamed = calls.indexOf(QRegularExpression(QStringLiteral("rename .*"))); renamed >= 0) {
                for (const QString &synced : durable << QStringLiteral("sync имя.commit") << folder)
                    QVERIFY2(calls.indexOf(synced) >= 0 && calls.indexOf(synced) < renamed, qPrintable(said));
                QVERIFY2(calls.lastIndexOf(folder) > calls.lastIndexOf(QRegularExpression(QStringLiteral("rename .*")))
                             && calls.last() == QStringLiteral("remove имя.commit"), qPrintable(said));
            }
            QCOMPARE(folderEntries(dir->path()),
                     QStringList({QStringLiteral("имя"), QStringLiteral("имя.lock"), QStringLiteral("о_себе")}));
        }
        qInfo("killed at %d calls: %s", int(outcomes.size()), qPrintable(outcomes));
        QVERIFY2(QRegularExpression(QStringLiteral("^o+n+$")).match(outcomes).hasMatch(), qPrintable(outcomes));
    }

    // A game that died holding the lock leaves it free at once.
    void deadGamesLockIsFree()
    {
        int ready[2];
        QCOMPARE(::pipe(ready), 0);
        const pid_t game = ::fork();
        if (game == 0) {
            RecordLock lock(namePath);
            const char held = lock.acquire() == RecordLock::Held ? 'y' : 'n';
            (void)!::write(ready[1], &held, 1);
            ::pause();
            ::_exit(0);
        }
        char held = 0;
        QCOMPARE(::read(ready[0], &held, 1), 1);
        QCOMPARE(held, 'y');
        RecordLock mine(namePath);
        ::kill(game, SIGKILL);
        QCOMPARE(exitStatus(game), -1);
        QElapsedTimer took;
        took.start();
        QCOMPARE(mine.acquire(), RecordLock::Held);
        QVERIFY(took.elapsed() < RecordLockWaitMs / 2);
        ::close(ready[0]);
        ::close(ready[1]);
    }

    // The folder's lock keeps another game out by itself, as it does for a holder that cannot use
    // the lock file.
    void folderLockAloneKeepsOthersOut()
    {
        recordfs::Handle folder = recordfs::NoHandle;
        QCOMPARE(recordfs::openFolderLock(dir->path(), &folder), 0);
        QCOMPARE(recordfs::tryLock(folder), 0);
        RecordLock mine(namePath);
        QCOMPARE(mine.acquire(), RecordLock::Busy);
        recordfs::closeLock(folder);
    }

    // A lock closes each descriptor it opened once, however often it is released: a second close
    // would close whatever file took the number meanwhile.
    void lockClosesItsDescriptorsOnce()
    {
        RecordLock lock(namePath);
        QCOMPARE(lock.acquire(), RecordLock::Held);
        lock.release();
        const int others[2] = {::open("/dev/null", O_RDONLY), ::open("/dev/null", O_RDONLY)};
        lock.release();
        for (const int other : others)
            QVERIFY(::fcntl(other, F_GETFD) != -1 && ::close(other) == 0);
    }

    // The new files keep the permissions the player gave the old ones.
    void permissionsKept()
    {
        {
            RecordWriter first(namePath, aboutPath);
            QVERIFY(save(QStringLiteral("Old"), QStringLiteral("old"), first));
        }
        const auto ownerOnly = QFile::ReadOwner | QFile::WriteOwner;
        QVERIFY(QFile::setPermissions(namePath, ownerOnly));
        RecordWriter second(namePath, aboutPath);
        QVERIFY(save(QStringLiteral("New"), QStringLiteral("new"), second));
        QCOMPARE(QFile::permissions(namePath) & ~(QFile::ReadUser | QFile::WriteUser), ownerOnly);
    }

    // A link in place of the hero-name file: the save puts a regular file in its place, and leaves
    // what the link pointed at alone.
    void linkInPlaceOfTheNameFileIsReplaced()
    {
        const QString target = at("elsewhere");
        putBytes(target, "Old\r\n");
        QVERIFY(QFile::link(target, namePath));
        RecordWriter w(namePath, aboutPath);
        QVERIFY(save(QStringLiteral("New"), QStringLiteral("new"), w));
        QVERIFY(!QFileInfo(namePath).isSymLink());
        QCOMPARE(shown(readHeroRecord(namePath, aboutPath)), QStringLiteral("New/new"));
        QCOMPARE(bytesOf(target), QByteArray("Old\r\n"));
    }

    // Record files that are no files fail at once, never hang, and keep no descriptor.
    void oddRecordFilesFailAtOnce()
    {
        putBytes(aboutPath, "words\r\n");
        const int before = QDir(QStringLiteral("/proc/self/fd")).count();
        for (const NotAFile kind : notAFileKinds()) {
            putNotAFile(namePath, kind);
            QCOMPARE(readHeroRecord(namePath, aboutPath), std::nullopt);
            QDir(namePath).removeRecursively();
            QFile::remove(namePath);
        }
        putBytes(namePath, "");
        QCOMPARE(readHeroRecord(namePath, aboutPath), std::nullopt);
        QCOMPARE(QDir(QStringLiteral("/proc/self/fd")).count(), before);
    }

    // Two games save 500 records each while a third reads 1,000 times: every pair read is one that
    // some save wrote whole, and no save or read fails.
    void twoGamesSaveWhileAThirdReads()
    {
        // In memory where there is a memory file system: the point is the lock, not the disk.
        QTemporaryDir shared(QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/zarviki-XXXXXX")
                                                                        : QString());
        QVERIFY(shared.isValid());
        const QString n = shared.filePath(QStringLiteral("имя")), a = shared.filePath(QStringLiteral("о_себе"));
        {
            RecordWriter first(n, a);
            QVERIFY(save(QStringLiteral("start"), QStringLiteral("start слова"), first));
        }
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
                    const auto read = readHeroRecord(n, a);
                    bad += !read || read->about != read->name + QStringLiteral(" слова");
                }
            }
            ::_exit(std::min(bad, 100));
        }
        for (pid_t game : games)
            QCOMPARE(exitStatus(game), 0);
        QCOMPARE(folderEntries(shared.path()),
                 QStringList({QStringLiteral("имя"), QStringLiteral("имя.lock"), QStringLiteral("о_себе")}));
    }
};

QTEST_GUILESS_MAIN(HeroRecordPosixTest)

#include "tst_herorecordposix.moc"
