// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows file layer under the hero record: a save and its read, the lock while its holder
// lives and after it dies, the older record in the root of drive C, a folder that cannot be moved
// while a game uses it, and a save killed at each call. A killed game is this same program, started
// again with an argument.

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

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

void stay()
{
    for (;;)
        QThread::sleep(60);
}

// What the program does when started as a game to be killed: holds the lock, or saves and stops
// for good after the given call. It says when it is there.
int runAsGame(const QStringList &args)
{
    const QString folder = args.value(2);
    if (args.value(1) == QLatin1String("hold-lock")) {
        recordfs::Folder f{folder};
        recordfs::Handle lock = recordfs::NoHandle;
        say(!recordfs::calls.openFolder(folder, &f.handle) && !recordfs::calls.lock(f, QStringLiteral("имя.guard"), &lock) ? "held" : "not held");
        stay();
    }
    const int stopAt = args.value(3).toInt();
    int calls = 0;
    watch().after = [&](const QString &, const QString &, int) {
        if (++calls == stopAt)
            say("stopped"), stay();
    };
    const bool saved = saveHeroRecord(folder, QStringLiteral("Новый"), QStringLiteral("новые слова")).isEmpty();
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
    QString folder, namePath;

private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        folder = dir->path();
        namePath = dir->filePath(QStringLiteral("имя"));
        watch() = {};
    }

    void saveReplacesAndReadsBack()
    {
        putBytes(namePath, "Old, and longer\r\n");
        putBytes(dir->filePath(QStringLiteral("о_себе")), "old words\r\n");
        QCOMPARE(saveHeroRecord(folder, QStringLiteral("Герой"), QStringLiteral("пара слов")), QString());
        QCOMPARE(bytesOf(namePath), QByteArray("\xC3\xE5\xF0\xEE\xE9\r\n"));
        QCOMPARE(shown(readHeroRecord(folder)), QStringLiteral("Герой/пара слов"));
        QCOMPARE(folderEntries(folder), SavedFolder);
    }

    // The lock is one game's at a time, and free again once its holder dies; the folder a game
    // holds cannot be moved away meanwhile.
    void lockIsOneLivingHoldersAtATime()
    {
        QProcess game;
        QCOMPARE(startGame(game, {QStringLiteral("--game"), QStringLiteral("hold-lock"), folder}), QByteArray("held"));
        recordfs::Folder f{folder};
        recordfs::Handle lock = recordfs::NoHandle;
        QCOMPARE(recordfs::calls.openFolder(folder, &f.handle), 0);
        QCOMPARE(recordfs::calls.lock(f, QStringLiteral("имя.guard"), &lock), EAGAIN);
        QVERIFY(!QDir().rename(folder, folder + QStringLiteral("-away")));
        QVERIFY(stop(game));
        QCOMPARE(recordfs::calls.lock(f, QStringLiteral("имя.guard"), &lock), 0);
        recordfs::calls.close(lock);
        recordfs::calls.close(f.handle);
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
        QCOMPARE(saveHeroRecord(QStringLiteral("Новый"), QStringLiteral("новые слова")), QString());
        QCOMPARE(shown(readHeroRecord()), QStringLiteral("Новый/новые слова"));
        QCOMPARE(bytesOf(olderName), QByteArray("\xD1\xF2\xE0\xF0\xFB\xE9\r\n"));
        QVERIFY(!QFileInfo::exists(QStringLiteral("C:/имя.guard")));
    }

    // The game killed after each call of a save in turn: the next read shows the old record up to
    // some call and the new one from there on, never a mix, and nothing of the save is left.
    void saveKilledAtEachStep()
    {
        QString outcomes;
        for (int killAt = 1; killAt < 100; ++killAt) {
            QCOMPARE(saveHeroRecord(folder, QStringLiteral("Старый"), QStringLiteral("старые слова")), QString());
            QProcess game;
            const QByteArray said = startGame(game, {QStringLiteral("--game"), QStringLiteral("save"), folder, QString::number(killAt)});
            QVERIFY(stop(game));
            if (said == "saved")
                break;
            QCOMPARE(said, QByteArray("stopped"));
            const QString read = shown(readHeroRecord(folder));
            QVERIFY2(read == QStringLiteral("Старый/старые слова") || read == QStringLiteral("Новый/новые слова"),
                     qPrintable(QStringLiteral("killed at call %1: %2").arg(killAt).arg(read)));
            outcomes += read.startsWith(QStringLiteral("Старый")) ? QLatin1Char('o') : QLatin1Char('n');
            QCOMPARE(folderEntries(folder), SavedFolder);
        }
        qInfo("killed at %d calls: %s", int(outcomes.size()), qPrintable(outcomes));
        QVERIFY2(QRegularExpression(QStringLiteral("^o+n+$")).match(outcomes).hasMatch(), qPrintable(outcomes));
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    watchRecordCalls();
    if (app.arguments().value(1) == QLatin1String("--game"))
        return runAsGame(app.arguments().mid(1));
    RecordFilesOnWindowsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recordfilesonwindows.moc"
