// SPDX-License-Identifier: GPL-3.0-or-later
// The hero record against a hostile folder on POSIX: things at the journal's, the lock's and the
// new files' names, folders the player cannot write, another user's games, folders swapped
// underneath, games and readers killed at every call, and games that save and read at once.

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "PlatformFiles.h"
#include "RecordFiles.h"
#include "halloffame/HeroRecord.h"

using namespace zarviki;
using namespace zarviki::testing;

namespace {

constexpr uid_t Nobody = 65534, Stranger = 65533;

// Waits for a child process: its exit status, or -1 when it did not exit by itself.
int exitStatus(pid_t child)
{
    int status = 0;
    if (::waitpid(child, &status, 0) != child)
        return -2;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs `work` in a child process, as the given user when asked (root may write anywhere), and
// returns what it reported; "skip" when this machine cannot take another user's part.
QString inChild(uid_t as, const std::function<QString()> &work)
{
    int report[2];
    if (::pipe(report) != 0)
        return QStringLiteral("no pipe");
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(report[0]);
        if (as && (::geteuid() != 0 || ::setgid(as) != 0 || ::setuid(as) != 0))
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

// Runs `work` in a child process killed at the entry (or the exit) of its `at`-th record call;
// false when it ended by itself, having made fewer calls.
bool killedAt(int at, bool atExit, const std::function<void()> &work)
{
    const pid_t game = ::fork();
    if (game == 0) {
        int calls = 0;
        watch().before = [&](const QString &, const QString &) { return !atExit && ++calls == at ? ::raise(SIGKILL) : 0; };
        watch().after = [&](const QString &, const QString &, int) {
            if (atExit && ++calls == at)
                ::raise(SIGKILL);
        };
        work();
        ::_exit(0);
    }
    return exitStatus(game) == -1;
}

// A save of New/new words killed right after the named call.
void killSaveAfter(const QString &folder, const QString &call, const QString &name)
{
    const pid_t game = ::fork();
    if (game == 0) {
        watch().after = [&](const QString &done, const QString &on, int) {
            if (done == call && on == name)
                ::raise(SIGKILL);
        };
        saveHeroRecord(folder, QStringLiteral("New"), QStringLiteral("new words"));
        ::_exit(0);
    }
    if (exitStatus(game) != -1)
        qFatal("the save was not killed after %s", qPrintable(call));
}

using Snapshot = QList<std::pair<QString, QByteArray>>;

Snapshot snapshot(const QString &folder)
{
    Snapshot files;
    for (const QString &name : folderEntries(folder))
        if (QFileInfo(folder + QLatin1Char('/') + name).isFile())
            files << std::pair(name, bytesOf(folder + QLatin1Char('/') + name));
    return files;
}

void restore(const QString &folder, const Snapshot &files)
{
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    for (const auto &[name, bytes] : files)
        putBytes(folder + QLatin1Char('/') + name, bytes);
}

// Where the many-call runs keep their folder: in memory where the system has /dev/shm, so that
// thousands of syncs cost no disk; else the usual temporary folder.
QString inMemoryTemplate()
{
    return QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/zarviki-XXXXXX") : QString();
}

}  // namespace

class HeroRecordPosixTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> dir;
    QString folder, namePath, aboutPath;

    QString at(const char *name) const { return dir->filePath(QString::fromUtf8(name)); }

private slots:
    void initTestCase()
    {
        useTemporaryDataHome();
        watchRecordCalls();
    }

    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        folder = dir->path();
        namePath = at("имя");
        aboutPath = at("о_себе");
        watch() = {};
    }

    // Each hostile state of the folder: what a read shows, what a save then says (nothing when it
    // saves), what a read shows once the folder may be written again, and what the folder holds.
    // Rows with a user read and save as that player, who is not root.
    void hostileFolder_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<uid_t>("as");
        QTest::addColumn<QString>("reads");
        QTest::addColumn<QString>("saveSays");
        QTest::addColumn<QStringList>("left");
        const QString old = QStringLiteral("Old/old words"), newer = QStringLiteral("New/new words");
        const QString intact = QStringLiteral("\nПрежняя запись героя осталась без изменений.");
        QStringList withOldLock = SavedFolder;
        withOldLock.insert(2, QStringLiteral("имя.lock"));
        for (const char *path : {"имя.commit", "имя.new", "о_себе.new"})
            for (const char *kind : {"FIFO", "link", "folder", "folder-link"})
                QTest::addRow("%s at %s", kind, path) << QStringLiteral("%1 %2").arg(kind, path) << uid_t(0) << old << QString() << SavedFolder;
        QTest::newRow("FIFO put at the words' new name during the save") << "FIFO during save" << uid_t(0) << old << QString() << SavedFolder;
        QTest::newRow("folder at the lock's name") << "folder имя.guard" << uid_t(0) << old
            << "Не удалось открыть файл блокировки записи героя \"%1/имя.guard\": на месте файла стоит папка." + intact
            << SavedFolder;
        QTest::newRow("dangling link at the lock's name") << "dangling имя.guard" << uid_t(0) << old
            << "Не удалось открыть файл блокировки записи героя \"%1/имя.guard\": слишком много символических ссылок на пути." + intact
            << SavedFolder;
        QTest::newRow("read-only folder, no lock, save killed after its journal") << "read-only marked" << Nobody << newer
            << "Не удалось открыть файл блокировки записи героя \"%1/имя.guard\": нет прав на запись." + intact
            << QStringList{"имя", "имя.commit", "о_себе"};
        QTest::newRow("read-only folder, save killed between the renames") << "read-only renamed" << Nobody << newer
            << "Не удалось завершить прерванную запись героя: файл \"%1/имя\": нет прав на запись." + intact
            << QStringList{"имя", "имя.commit", "имя.guard", "о_себе"};
        // The five ways the record used to be mixed or blocked.
        QTest::newRow("folder swapped during a save, another game saves in the new one") << "swapped" << uid_t(0) << old << QString() << SavedFolder;
        QTest::newRow("rename takes effect, then reports an error") << "rename replayed" << uid_t(0) << old
            << "Не удалось записать файл \"%1/имя\": ошибка ввода-вывода на диске.\nПрежняя запись героя, возможно, уже "
               "заменена: новая будет дописана при следующем чтении." << QStringList{"имя", "имя.commit", "имя.guard", "о_себе"};
        QTest::newRow("spurious ELOOP opening the journal while a read finishes") << "spurious" << uid_t(0) << newer << QString() << SavedFolder;
        QTest::newRow("write-only words, save killed after its first rename") << "write-only" << Nobody << newer << QString() << SavedFolder;
        QTest::newRow("another user holds the older lock file and the folder") << "stranger" << Nobody << old << QString() << withOldLock;
    }

    void hostileFolder()
    {
        QFETCH(QString, state);
        QFETCH(uid_t, as);
        QFETCH(QString, reads);
        QFETCH(QString, saveSays);
        QFETCH(QStringList, left);
        QCOMPARE(saveHeroRecord(folder, QStringLiteral("Old"), QStringLiteral("old words")), QString());
        const QString elsewhere = at("away/elsewhere");
        putBytes(elsewhere, "Elsewhere\r\n");
        const QString path = dir->filePath(state.section(QLatin1Char(' '), 1));
        const QString kind = state.section(QLatin1Char(' '), 0, 0);
        bool readOnly = false, nobodys = false;
        pid_t stranger = 0;
        const auto stopStranger = [&] {
            if (stranger > 0)
                ::kill(stranger, SIGKILL), exitStatus(stranger), stranger = 0;
        };
        const auto stoppingStranger = qScopeGuard(stopStranger);
        if (state == QLatin1String("FIFO during save")) {
            watch().after = [this](const QString &call, const QString &name, int) {
                if (call == QLatin1String("create") && name == QStringLiteral("имя.commit"))
                    putNotAFile(at("о_себе.new"), NotAFile::Fifo);
            };
        } else if (kind == QLatin1String("FIFO")) {
            putNotAFile(path, NotAFile::Fifo);
        } else if (kind == QLatin1String("link") || kind == QLatin1String("folder-link") || kind == QLatin1String("dangling")) {
            QFile::remove(path);
            QVERIFY(QFile::link(kind == QLatin1String("link") ? elsewhere : kind == QLatin1String("folder-link") ? at("away") : at("away/made"), path));
        } else if (kind == QLatin1String("folder")) {
            QFile::remove(path);
            QVERIFY(QDir().mkdir(path));
        } else if (state.startsWith(QLatin1String("read-only"))) {
            killSaveAfter(folder, state.endsWith(QLatin1String("marked")) ? QStringLiteral("sync folder") : QStringLiteral("rename"),
                          state.endsWith(QLatin1String("marked")) ? QFileInfo(folder).fileName() : QStringLiteral("имя"));
            if (state.endsWith(QLatin1String("marked")))
                QFile::remove(at("имя.guard"));
            readOnly = nobodys = true;
        } else if (state == QLatin1String("swapped")) {
            // The first game stops after its new name; the folder is moved away and a copy put in
            // its place, where a second game saves.
            watch().after = [this](const QString &call, const QString &name, int) {
                if (call != QLatin1String("rename") || name != QStringLiteral("имя") || QFileInfo::exists(folder + QStringLiteral("-away")))
                    return;
                const Snapshot files = snapshot(folder);
                QVERIFY(QDir().rename(folder, folder + QStringLiteral("-away")));
                restore(folder, files);
                putBytes(at("away/elsewhere"), "Elsewhere\r\n");
                QCOMPARE(saveHeroRecord(folder, QStringLiteral("Second"), QStringLiteral("second words")), QString());
            };
        } else if (state == QLatin1String("rename replayed")) {
            watch().before = [this](const QString &call, const QString &name) {
                if (call != QLatin1String("rename") || name != QStringLiteral("имя"))
                    return 0;
                QFile::remove(namePath);
                return QFile::rename(at("имя.new"), namePath) ? EIO : 0;
            };
        } else if (state == QLatin1String("spurious")) {
            killSaveAfter(folder, QStringLiteral("rename"), QStringLiteral("имя"));
            watch().before = [once = true](const QString &call, const QString &name) mutable {
                const bool now = once && call == QLatin1String("open") && name == QStringLiteral("имя.commit");
                once = once && !now;
                return now ? ELOOP : 0;
            };
        } else if (state == QLatin1String("write-only")) {
            killSaveAfter(folder, QStringLiteral("rename"), QStringLiteral("имя"));
            QVERIFY(QFile::setPermissions(aboutPath, QFile::WriteOwner));
            nobodys = true;
        } else if (state == QLatin1String("stranger")) {
            // The folder and a lock file as older versions made them, open to all to read; another
            // user holds both locked.
            QFile::remove(at("имя.guard"));
            putBytes(at("имя.lock"), "");
            QVERIFY(QFile::setPermissions(at("имя.lock"), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
            nobodys = true;
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
            int ready[2];
            QCOMPARE(::pipe(ready), 0);
            if ((stranger = ::fork()) == 0) {
                if (::setgid(Stranger) != 0 || ::setuid(Stranger) != 0)
                    ::_exit(3);
                const int held[2] = {::open(QFile::encodeName(folder).constData(), O_RDONLY),
                                     ::open(QFile::encodeName(at("имя.lock")).constData(), O_RDONLY)};
                const char ok = ::flock(held[0], LOCK_EX) == 0 && ::flock(held[1], LOCK_EX) == 0 ? 'y' : 'n';
                (void)!::write(ready[1], &ok, 1);
                ::pause();
            }
            char ok = 0;
            QCOMPARE(::read(ready[0], &ok, 1), 1);
            ::close(ready[0]), ::close(ready[1]);
            QCOMPARE(ok, 'y');
        } else {
            QFAIL("no such state");
        }
        const auto all = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
        const QStringList entriesBefore = folderEntries(folder) << QString();
        for (const QString &name : entriesBefore)
            QVERIFY(!nobodys || ::lchown(QFile::encodeName(dir->filePath(name)).constData(), Nobody, Nobody) == 0);
        QVERIFY(QFile::setPermissions(folder, readOnly ? all : all | QFile::WriteOwner));
        const Watch during = watch();
        watch() = {};
        const QString told = inChild(as, [&] {
            const QString read = shown(readHeroRecord(folder));
            watch() = during;
            return read + QLatin1Char('\n') + saveHeroRecord(folder, QStringLiteral("Saved"), QStringLiteral("saved words"));
        });
        stopStranger();
        QFile::setPermissions(folder, all | QFile::WriteOwner);
        if (told == QLatin1String("skip"))
            QSKIP("this machine lets no test take another user's part");
        QCOMPARE(told.section(QLatin1Char('\n'), 0, 0), reads);
        QCOMPARE(told.section(QLatin1Char('\n'), 2), saveSays.isEmpty() ? saveSays : saveSays.arg(folder));
        QStringList entries = folderEntries(folder);
        entries.removeAll(QStringLiteral("away"));
        QVERIFY2(entries == left, qPrintable(entries.join(QLatin1Char(' '))));
        QCOMPARE(bytesOf(elsewhere), QByteArray("Elsewhere\r\n"));  // what a link pointed at is left alone
        QVERIFY(!QFileInfo::exists(at("away/made")));                 // and nothing is made where one points
        const bool saved = saveSays.isEmpty() || state == QLatin1String("rename replayed");
        const QString after = shown(readHeroRecord(folder));
        QCOMPARE(after, state == QLatin1String("swapped") ? QStringLiteral("Second/second words") : saved ? QStringLiteral("Saved/saved words") : reads);
        if (state == QLatin1String("swapped"))  // the first game finished its pair in the folder it opened
            QCOMPARE(shown(readHeroRecord(folder + QStringLiteral("-away"))), QStringLiteral("Saved/saved words"));
        QDir(folder + QStringLiteral("-away")).removeRecursively();
        if (state == QLatin1String("stranger"))  // the lock is the player's alone
            QCOMPARE(inChild(Stranger, [&] { return QString::number(::open(QFile::encodeName(at("имя.guard")).constData(), O_RDONLY)); }),
                     QStringLiteral("-1"));
    }

    // A save killed at the entry and at the exit of each call it makes in turn, over an old record
    // and as the first save, which makes the folder; then, for each state that leaves, a reader
    // killed at each of its calls. The next read shows the old record up to some call and the new
    // one from there on, never a mix, the same whichever reader was killed before it, and leaves
    // nothing of the save behind.
    void killedAtEachCall()
    {
        QTemporaryDir shm(inMemoryTemplate());
        const QString d = shm.filePath(QStringLiteral("a/b"));
        int saves = 0, readers = 0;
        for (const bool first : {false, true}) {
            QString outcomes;
            for (int call = 1;; ++call) {
                bool killed = false;
                for (const bool atExit : {false, true}) {
                    QDir(shm.filePath(QStringLiteral("a"))).removeRecursively();
                    if (!first)
                        QCOMPARE(saveHeroRecord(d, QStringLiteral("Старый"), QStringLiteral("старые слова")), QString());
                    if (!killedAt(call, atExit, [&] { saveHeroRecord(d, QStringLiteral("Новый"), QStringLiteral("новые слова")); }))
                        continue;
                    killed = true;
                    ++saves;
                    const Snapshot state = snapshot(d);
                    const QString shows = shown(readHeroRecord(d));
                    for (int readerCall = 1;; ++readerCall) {
                        restore(d, state);
                        if (!killedAt(readerCall, readerCall % 2, [&] { readHeroRecord(d); }))
                            break;
                        ++readers;
                        QCOMPARE(shown(readHeroRecord(d)), shows);
                    }
                    QVERIFY2(shows == QStringLiteral("Новый/новые слова") || shows == (first ? QStringLiteral("-") : QStringLiteral("Старый/старые слова")),
                             qPrintable(QStringLiteral("killed at call %1: %2").arg(call).arg(shows)));
                    outcomes += shows.startsWith(QStringLiteral("Новый")) ? QLatin1Char('n') : QLatin1Char('o');
                    const QStringList left = folderEntries(d);
                    QVERIFY2(shows == QStringLiteral("-") ? (left.isEmpty() || left == QStringList{QStringLiteral("имя.guard")}) : left == SavedFolder, qPrintable(left.join(' ')));
                }
                if (!killed)
                    break;
            }
            qInfo("%s: killed at %d points: %s", first ? "first save" : "save", int(outcomes.size()), qPrintable(outcomes));
            QVERIFY2(QRegularExpression(QStringLiteral("^o+n+$")).match(outcomes).hasMatch(), qPrintable(outcomes));
        }
        qInfo("%d saves killed, %d readers killed", saves, readers);
    }

    // The folder and the files are the player's alone, whatever the umask and whatever the files
    // they replace allowed; a link in a file's place is replaced, and what it points at left alone.
    void madeForThePlayerAlone()
    {
        const QString d = at("made");
        const mode_t mask = ::umask(0277);
        const QString said = saveHeroRecord(d, QStringLiteral("Old"), QStringLiteral("old"));
        ::umask(mask);
        QCOMPARE(said, QString());
        QCOMPARE(QFile::permissions(d) & 0x7077, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(QFile::setPermissions(d + QStringLiteral("/о_себе"), QFile::WriteOwner | QFile::ReadOther | QFile::WriteOther));
        putBytes(at("elsewhere"), "Old\r\n");
        QFile::remove(d + QStringLiteral("/имя"));
        QVERIFY(QFile::link(at("elsewhere"), d + QStringLiteral("/имя")));
        QCOMPARE(saveHeroRecord(d, QStringLiteral("New"), QStringLiteral("new")), QString());
        for (const QString &file : SavedFolder)
            QCOMPARE(QFileInfo(d + QLatin1Char('/') + file).permissions() & 0x7077, QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(!QFileInfo(d + QStringLiteral("/имя")).isSymLink());
        QCOMPARE(bytesOf(at("elsewhere")), QByteArray("Old\r\n"));
    }

    // A game that died holding the lock leaves it free at once.
    void deadGamesLockIsFree()
    {
        QCOMPARE(saveHeroRecord(folder, QStringLiteral("Old"), QStringLiteral("old")), QString());
        QVERIFY(killedAt(2, true, [&] {
            recordfs::Folder f{folder};
            recordfs::Handle lock;
            if (!recordfs::calls.openFolder(folder, &f.handle) && !recordfs::calls.lock(f, QStringLiteral("имя.guard"), &lock))
                recordfs::calls.close(lock);
        }));
        QElapsedTimer took;
        took.start();
        QCOMPARE(saveHeroRecord(folder, QStringLiteral("New"), QStringLiteral("new")), QString());
        QVERIFY(took.elapsed() < RecordLockWaitMs / 2);
    }

    // Record files that are no files fail at once, never hang, and keep no descriptor.
    void oddRecordFilesFailAtOnce()
    {
        putBytes(aboutPath, "words\r\n");
        const int before = QDir(QStringLiteral("/proc/self/fd")).count();
        for (const NotAFile kind : notAFileKinds()) {
            putNotAFile(namePath, kind);
            QCOMPARE(readHeroRecord(folder), std::nullopt);
            QDir(namePath).removeRecursively();
            QFile::remove(namePath);
        }
        QCOMPARE(QDir(QStringLiteral("/proc/self/fd")).count(), before);
    }

    // Two games save 300 records each while a third reads 500 times and a fourth, which may take no
    // lock, 2,000 times: every pair read is one that some save wrote whole, and nothing fails.
    void gamesSaveWhileOthersRead()
    {
        QTemporaryDir shm(inMemoryTemplate());
        const QString d = shm.path();
        QCOMPARE(saveHeroRecord(d, QStringLiteral("start"), QStringLiteral("start слова")), QString());
        pid_t games[4];
        for (int g = 0; g < 4; ++g) {
            if ((games[g] = ::fork()) != 0)
                continue;
            if (g == 3)
                watch().before = [](const QString &call, const QString &) { return call == QLatin1String("lock") ? EACCES : 0; };
            int bad = 0;
            for (int i = 0; i < (g < 2 ? 300 : g == 2 ? 500 : 2000); ++i) {
                const QString name = QStringLiteral("игра %1, запись %2").arg(g).arg(i);
                const auto read = g < 2 ? std::optional<HeroRecord>() : readHeroRecord(d);
                bad += g < 2 ? !saveHeroRecord(d, name, name + QStringLiteral(" слова")).isEmpty()
                             : !read || read->about != read->name + QStringLiteral(" слова");
            }
            ::_exit(std::min(bad, 100));
        }
        for (pid_t game : games)
            QCOMPARE(exitStatus(game), 0);
        QCOMPARE(folderEntries(d), SavedFolder);
    }
};

QTEST_GUILESS_MAIN(HeroRecordPosixTest)

#include "tst_herorecordposix.moc"
