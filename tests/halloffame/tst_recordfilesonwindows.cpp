// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows file layer under the hero record: a save and its read, the lock while its holder
// lives and after it dies, the replacement of an existing file, and a save killed at each call.
// A killed game is this same program, started again with an argument.

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <windows.h>

#include "RecordFiles.h"
#include "halloffame/HeroRecord.h"

using namespace zarviki;
using namespace zarviki::testing;

namespace {

void say(const QByteArray &line)
{
    fputs(line.constData(), stdout);
    fputs("\n", stdout);
    fflush(stdout);
}

// What the program does when started as a game to be killed: holds the lock, or saves and stops
// for good after the given call. It says when it is there.
int runAsGame(const QStringList &args)
{
    const QString namePath = args.value(2) + QStringLiteral("/имя"), aboutPath = args.value(2) + QStringLiteral("/о_себе");
    if (args.value(1) == QLatin1String("hold-lock")) {
        RecordLock lock(namePath);
        say(lock.acquire() == RecordLock::Held ? "held" : "not held");
        for (;;)
            QThread::sleep(60);
    }
    const int stopAt = args.value(3).toInt();
    int calls = 0;
    recordfs::watch() = [&](const char *, const QString &) {
        if (++calls == stopAt) {
            say("stopped");
            for (;;)
                QThread::sleep(60);
        }
    };
    RecordWriter w(namePath, aboutPath);
    const bool saved = save(QStringLiteral("Новый"), QStringLiteral("новые слова"), w);
    say(saved ? "saved" : "failed");
    return saved ? 0 : 1;
}

// Starts this program as a game and waits until it says where it is.
QByteArray startGame(QProcess &game, const QStringList &args)
{
    game.start(QCoreApplication::applicationFilePath(), args);
    if (!game.waitForStarted(10000))
        return "not started";
    while (!game.canReadLine())
        if (!game.waitForReadyRead(10000))
            return "silent";
    return game.readLine().trimmed();
}

// Kills the game, or finds it ended by itself after a whole save, and waits until it is gone. Qt's
// wait answers false for a game it already saw end, so that is asked first.
bool stop(QProcess &game)
{
    game.kill();
    return game.state() == QProcess::NotRunning || game.waitForFinished(10000);
}

}  // namespace

class RecordFilesOnWindowsTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> dir;
    QString namePath, aboutPath;

private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        namePath = dir->filePath(QStringLiteral("имя"));
        aboutPath = dir->filePath(QStringLiteral("о_себе"));
    }

    void saveReplacesAndReadsBack()
    {
        putBytes(namePath, "Old, and longer\r\n");
        putBytes(aboutPath, "old words\r\n");
        RecordWriter w(namePath, aboutPath);
        QVERIFY(save(QStringLiteral("Герой"), QStringLiteral("пара слов"), w));
        QCOMPARE(bytesOf(namePath), QByteArray("\xC3\xE5\xF0\xEE\xE9\r\n"));
        QCOMPARE(shown(readHeroRecord(namePath, aboutPath)), QStringLiteral("Герой/пара слов"));
        QCOMPARE(folderEntries(dir->path()),
                 QStringList({QStringLiteral("имя"), QStringLiteral("имя.lock"), QStringLiteral("о_себе")}));
    }

    void lockIsOneHoldersAtATime()
    {
        const QString lockPath = recordLockPath(namePath);
        recordfs::Handle first = recordfs::NoHandle, second = recordfs::NoHandle;
        QCOMPARE(recordfs::openLock(lockPath, &first), 0);
        QCOMPARE(recordfs::openLock(lockPath, &second), 0);
        QCOMPARE(recordfs::tryLock(first), 0);
        QCOMPARE(recordfs::tryLock(second), EAGAIN);
        recordfs::closeLock(first);
        QCOMPARE(recordfs::tryLock(second), 0);
        recordfs::closeLock(second);
    }

    void deadHoldersLockIsFree()
    {
        QProcess game;
        QCOMPARE(startGame(game, {QStringLiteral("--game"), QStringLiteral("hold-lock"), dir->path()}),
                 QByteArray("held"));
        RecordLock mine(namePath);
        QVERIFY(stop(game));
        QCOMPARE(mine.acquire(), RecordLock::Held);
    }

    void renameReplacesAnExistingFile()
    {
        putBytes(namePath, "old\r\n");
        putBytes(namePath + QStringLiteral(".new"), "new\r\n");
        QCOMPARE(recordfs::renameOver(namePath + QStringLiteral(".new"), namePath), 0);
        QCOMPARE(bytesOf(namePath), QByteArray("new\r\n"));
        QCOMPARE(recordfs::kindOf(namePath + QStringLiteral(".new")), recordfs::Kind::None);
    }

    // A lock file the game cannot use locks nobody out: the folder's own lock keeps games apart in
    // its place, and nothing is made where a link points.
    void unusableLockFileLocksNobodyOut_data()
    {
        QTest::addColumn<bool>("link");
        QTest::newRow("folder in place of the lock file") << false;
        QTest::newRow("dangling link in place of the lock file") << true;
    }

    void unusableLockFileLocksNobodyOut()
    {
        QFETCH(bool, link);
        const std::wstring lockPath = QDir::toNativeSeparators(recordLockPath(namePath)).toStdWString();
        const QString away = dir->filePath(QStringLiteral("made"));
        if (!link)
            QVERIFY(QDir().mkdir(recordLockPath(namePath)));
        else if (!CreateSymbolicLinkW(lockPath.c_str(), QDir::toNativeSeparators(away).toStdWString().c_str(), 0x2)
                 || recordfs::kindOf(recordLockPath(namePath)) != recordfs::Kind::Other)
            QSKIP("this system lets no player make a link");  // Wine says it made one, and made none
        QProcess game;
        QCOMPARE(startGame(game, {QStringLiteral("--game"), QStringLiteral("hold-lock"), dir->path()}), QByteArray("held"));
        RecordLock mine(namePath);
        QCOMPARE(mine.acquire(), RecordLock::Busy);
        QVERIFY(stop(game));
        RecordWriter w(namePath, aboutPath);
        QVERIFY2(save(QStringLiteral("Герой"), QStringLiteral("слова"), w), qPrintable(w.whatFailed()));
        QCOMPARE(shown(readHeroRecord(namePath, aboutPath)), QStringLiteral("Герой/слова"));
        QVERIFY(!QFileInfo::exists(away));
    }

    // The pair an older version left in the root of drive C is read while the game's own folder
    // holds no record, and is never written. A player's own old record there is left alone.
    void olderRecordReadUntilANewOneExists()
    {
        const QString olderName = QStringLiteral("C:/имя"), olderAbout = QStringLiteral("C:/о_себе");
        if (QFileInfo::exists(olderName) || QFileInfo::exists(olderAbout))
            QSKIP("an older version's record is on this machine");
        QFile name(olderName), about(olderAbout);
        const auto removing = qScopeGuard([&] {
            name.remove();
            about.remove();
        });
        if (!name.open(QIODevice::WriteOnly) || !about.open(QIODevice::WriteOnly))
            QSKIP("the root of drive C cannot be written here");
        name.write("\xD1\xF2\xE0\xF0\xFB\xE9\r\n");
        about.write("\xF1\xEB\xEE\xE2\xE0\r\n");
        name.close();
        about.close();
        QVERIFY(QDir(QFileInfo(heroNamePath()).path()).removeRecursively());

        QCOMPARE(shown(readHeroRecord()), QStringLiteral("Старый/слова"));
        RecordWriter w(heroNamePath(), heroAboutPath());
        QVERIFY(save(QStringLiteral("Новый"), QStringLiteral("новые слова"), w));
        QCOMPARE(shown(readHeroRecord()), QStringLiteral("Новый/новые слова"));
        QCOMPARE(bytesOf(olderName), QByteArray("\xD1\xF2\xE0\xF0\xFB\xE9\r\n"));
    }

    // The game killed at each call of a save in turn: the next read shows the old record up to
    // some call and the new one from there on, never a mix, and nothing of the save is left. A read
    // that finishes the save puts the marker and the staged files on the disk before it renames.
    void saveKilledAtEachStep()
    {
        QString outcomes;
        for (int killAt = 1; killAt < 100; ++killAt) {
            {
                RecordWriter before(namePath, aboutPath);
                QVERIFY(save(QStringLiteral("Старый"), QStringLiteral("старые слова"), before));
            }
            QProcess game;
            const QByteArray said =
                startGame(game, {QStringLiteral("--game"), QStringLiteral("save"), dir->path(), QString::number(killAt)});
            QVERIFY(stop(game));
            if (said == "saved")
                break;
            QCOMPARE(said, QByteArray("stopped"));
            QStringList calls, durable = folderEntries(dir->path()).filter(QStringLiteral(".new"));
            durable.replaceInStrings(QRegularExpression(QStringLiteral("^")), QStringLiteral("sync "));
            recordfs::watch() = [&](const char *call, const QString &path) {
                calls << QString::fromLatin1(call) + QLatin1Char(' ') + QFileInfo(path).fileName();
            };
            const QString read = shown(readHeroRecord(namePath, aboutPath));
            recordfs::watch() = nullptr;
            if (const qsizetype renamed = calls.indexOf(QRegularExpression(QStringLiteral("rename .*"))); renamed >= 0)
                for (const QString &synced : durable << QStringLiteral("sync имя.commit"))
                    QVERIFY2(calls.indexOf(synced) >= 0 && calls.indexOf(synced) < renamed, qPrintable(calls.join(QStringLiteral(", "))));
            QVERIFY2(read == QStringLiteral("Старый/старые слова") || read == QStringLiteral("Новый/новые слова"),
                     qPrintable(QStringLiteral("killed at call %1: %2").arg(killAt).arg(read)));
            outcomes += read.startsWith(QStringLiteral("Старый")) ? QLatin1Char('o') : QLatin1Char('n');
            QCOMPARE(folderEntries(dir->path()),
                     QStringList({QStringLiteral("имя"), QStringLiteral("имя.lock"), QStringLiteral("о_себе")}));
        }
        qInfo("killed at %d calls: %s", int(outcomes.size()), qPrintable(outcomes));
        QVERIFY2(QRegularExpression(QStringLiteral("^o+n+$")).match(outcomes).hasMatch(), qPrintable(outcomes));
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (app.arguments().value(1) == QLatin1String("--game"))
        return runAsGame(app.arguments().mid(1));
    RecordFilesOnWindowsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recordfilesonwindows.moc"
