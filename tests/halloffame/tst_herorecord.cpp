// SPDX-License-Identifier: GPL-3.0-or-later
// The hero record files byte for byte, on every platform: what a save writes, what a read takes
// back, journals of every kind, and saves that fail part of the way.

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>

#include "RecordFiles.h"
#include "halloffame/HeroRecord.h"
#include "halloffame/RecordMessages.h"
#include "halloffame/RecordText.h"

using namespace zarviki;
using namespace zarviki::testing;

namespace {

std::optional<HeroRecord> hero(const QString &name, const QString &about)
{
    return HeroRecord{name, about};
}

// A journal as a save writes it, with the tag, the sizes and the checksum given where asked.
QByteArray journal(const QByteArray &name, const QByteArray &about, const QByteArray &sizes = {})
{
    const QByteArray body = "zarviki hero record 2\n"
                            + (sizes.isNull() ? QByteArray::number(name.size()) + ' ' + QByteArray::number(about.size()) : sizes)
                            + '\n' + name + about;
    return body + QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex() + '\n';
}

const QString Intact = QStringLiteral("Прежняя запись героя осталась без изменений.");
const QString MayBeReplaced = QStringLiteral("Прежняя запись героя, возможно, уже заменена: новая будет дописана при следующем чтении.");

}  // namespace

class HeroRecordTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> dir;
    QString folder, namePath, aboutPath;

    std::optional<HeroRecord> read() { return readHeroRecord(folder); }
    QString save(const QString &name, const QString &about) { return saveHeroRecord(folder, name, about); }
    void putOld()
    {
        putBytes(namePath, "Old\r\n");
        putBytes(aboutPath, "old words\r\n");
    }

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
        namePath = dir->filePath(QStringLiteral("имя"));
        aboutPath = dir->filePath(QStringLiteral("о_себе"));
        watch() = {};
    }

    void pathsAreTheGameFolderInTheDataLocation()
    {
#ifdef Q_OS_WIN
        const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QLatin1Char('/');
#else
        const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/zarviki/");
#endif
        QCOMPARE(heroNamePath(), data + QString::fromUtf16(u"\u0438\u043C\u044F"));
        QCOMPARE(heroAboutPath(), data + QString::fromUtf16(u"\u043E\u005F\u0441\u0435\u0431\u0435"));
        QCOMPARE(encodeRecordText(QFileInfo(heroNamePath()).fileName()), QByteArray("\xE8\xEC\xFF"));
        QCOMPARE(encodeRecordText(QFileInfo(heroAboutPath()).fileName()), QByteArray("\xEE\x5F\xF1\xE5\xE1\xE5"));
    }

    // The game's own code page table decodes every byte as the system's converter does, and
    // encoding gives each byte back.
    void codePageTableIsWindows1251()
    {
        QStringDecoder system("windows-1251");
        if (!system.isValid())
            QSKIP("this Qt has no converter for Windows-1251 to compare with");
        for (int b = 0; b < 256; ++b) {
            const QByteArray byte(1, char(b));
            const QString decoded = decodeRecordText(byte);
            QCOMPARE(decoded, system.decode(byte));
            QCOMPARE(encodeRecordText(decoded), byte);
        }
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
        QCOMPARE(save(text, QStringLiteral("о себе")), QString());
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
        QTest::newRow("byte 0x98") << QByteArray("\x98x\r\n") << true << QStringLiteral("\u0098x");
        const QByteArray full(MaxRecordLineBytes, 'a');
        QTest::newRow("1 MiB, no CR") << full << true << QString::fromLatin1(full);
        QTest::newRow("1 MiB and CR LF") << full + "\r\n" << true << QString::fromLatin1(full);
        QTest::newRow("1 MiB and one byte") << full + "a" << false << QString();
        QTest::newRow("long line after a short one") << QByteArray("ok\r\n") + full + full << true << QStringLiteral("ok");
    }

    // Each first line read as the name, and the same as the words.
    void firstLineRead()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, reads);
        QFETCH(QString, line);
        putBytes(namePath, bytes);
        putBytes(aboutPath, "words\r\n");
        QCOMPARE(read(), reads ? hero(line, QStringLiteral("words")) : std::nullopt);
        putBytes(namePath, "Hero\r\n");
        putBytes(aboutPath, bytes);
        QCOMPARE(read(), reads ? hero(QStringLiteral("Hero"), line) : std::nullopt);
    }

    void secondSaveReplacesAll()
    {
        QCOMPARE(save(QStringLiteral("Длинное имя героя"), QStringLiteral("много\r\nслов")), QString());
        QCOMPARE(save(QStringLiteral("Я"), QString()), QString());
        QCOMPARE(bytesOf(namePath), QByteArray("\xDF\r\n"));
        QCOMPARE(bytesOf(aboutPath), QByteArray("\r\n"));
        QCOMPARE(read(), hero(QStringLiteral("Я"), QString()));
        QCOMPARE(folderEntries(folder), SavedFolder);
    }

    // Each call a save makes that changes the disk, in order: the journal is on the disk, its
    // folder too, before the first rename, and goes only once the folder has both renames.
    void saveCallsInOrder_data()
    {
        QTest::addColumn<QString>("under");
        QTest::addColumn<QStringList>("calls");
        const QStringList save{"create имя.commit", "write имя.commit", "sync имя.commit", "close имя.commit",
                               "sync folder %1", "remove имя.new", "create имя.new", "write имя.new", "sync имя.new",
                               "close имя.new", "rename имя", "remove о_себе.new", "create о_себе.new",
                               "write о_себе.new", "sync о_себе.new", "close о_себе.new", "rename о_себе",
                               "sync folder %1", "remove имя.commit", "close имя.guard"};
        QTest::newRow("into the folder") << QString() << QStringList(save).replaceInStrings("%1", "FOLDER");
        QTest::newRow("first save, making the folder")
            << QStringLiteral("/a/b") << QStringList{"make folder a", "sync folder FOLDER", "make folder b", "sync folder a"}
                                             + QStringList(save).replaceInStrings("%1", "b");
    }

    void saveCallsInOrder()
    {
        QFETCH(QString, under);
        QFETCH(QStringList, calls);
        putOld();
        QStringList made;
        watch().after = [&](const QString &call, const QString &name, int) {
            if (!QStringList{"open folder", "lock", "entry", "open", "read", "close"}.contains(call) || (call == "close" && name.contains('.') && !name.contains('/')))
                made << call + QLatin1Char(' ') + (name == QFileInfo(folder).fileName() ? QStringLiteral("FOLDER") : name);
        };
        QCOMPARE(saveHeroRecord(folder + under, QStringLiteral("New"), QStringLiteral("new")), QString());
        QCOMPARE(made.join(", "), calls.join(", "));
        QCOMPARE(readHeroRecord(folder + under), hero(QStringLiteral("New"), QStringLiteral("new")));
    }

    // A read and a save remove only the files a save of this version makes: a stray journal goes,
    // the player's own files stay, and so do an older version's leftovers, which no pattern tells
    // from a player's.
    void onlyTheGamesOwnFilesGo()
    {
        const QStringList players{"имя.a1B2c3", "имя.backup", "имя.lock", "имя.old-20240101", "о_себе.Zx9Qw1"};
        for (const QString &name : players)
            putBytes(dir->filePath(name), "left\r\n");
        putBytes(dir->filePath(QStringLiteral("имя.commit")), "garbled");
        read();
        QCOMPARE(save(QStringLiteral("New"), QStringLiteral("new")), QString());
        QStringList left = players + SavedFolder;
        left.sort();
        QCOMPARE(folderEntries(folder), left);
    }

    // Every failure names the file and the reason, leaves the old record as it was, and says so.
    void failedSaveLeavesTheOldRecord_data()
    {
        QTest::addColumn<QString>("breakWhat");  // a call that fails with EIO, or what is put in the way
        QTest::addColumn<QString>("failed");     // the file named, in the record folder, or the folder
        QTest::addColumn<QString>("reason");
        QTest::newRow("folder in place of the name file") << "folder имя" << "имя" << "на месте файла стоит папка";
        QTest::newRow("folder in place of the words") << "folder о_себе" << "о_себе" << "на месте файла стоит папка";
        QTest::newRow("record folder is a regular file") << "file" << "" << "на пути стоит файл, а не папка";
        QTest::newRow("name longer than a read takes back") << "long" << "имя" << "файл слишком велик";
        for (const char *call : {"write", "sync", "close"})
            QTest::addRow("%s of the journal fails", call) << QStringLiteral("%1 имя.commit").arg(call) << "имя.commit"
                                                           << "ошибка ввода-вывода на диске";
        QTest::newRow("close of the new name file fails") << "close имя.new" << "имя" << "ошибка ввода-вывода на диске";
        QTest::newRow("folder not put on the disk after the journal") << "sync folder" << "" << "ошибка ввода-вывода на диске";
    }

    void failedSaveLeavesTheOldRecord()
    {
        QFETCH(QString, breakWhat);
        QFETCH(QString, failed);
        QFETCH(QString, reason);
        putOld();
        const QString into = breakWhat == QLatin1String("file") ? namePath : folder;
        if (breakWhat.startsWith(QLatin1String("folder ")))
            QFile::remove(dir->filePath(failed)), QDir().mkpath(dir->filePath(failed + QStringLiteral("/inside")));
        QStringList before = folderEntries(folder);
        watch().before = [&](const QString &call, const QString &name) {
            return breakWhat == call || breakWhat == call + QLatin1Char(' ') + name ? EIO : 0;
        };
        const QString said = saveHeroRecord(into, breakWhat == QLatin1String("long") ? QString(MaxRecordLineBytes + 1, 'a') : QStringLiteral("New"),
                                            QStringLiteral("new words"));
        watch() = {};
        const QString path = QDir::toNativeSeparators(failed.isEmpty() ? into : into + QLatin1Char('/') + failed);
        QVERIFY2(said.startsWith(QStringLiteral("Результат не сохранён.\n")) && said.endsWith(QLatin1Char('\n') + Intact), qPrintable(said));
        QVERIFY2(said.contains(QStringLiteral("\"%1\": %2.").arg(path, reason)), qPrintable(said));
        if (!breakWhat.startsWith(QLatin1String("folder ")))
            QCOMPARE(shown(read()), QStringLiteral("Old/old words"));
        QStringList after = folderEntries(folder);
        after.removeAll(QStringLiteral("имя.guard"));
        QCOMPARE(after, before);  // nothing of the save is left
    }

    // Journals a killed game, a player or a disk may leave: a whole one is finished by the next
    // read, one proven wrong goes, whatever its size, and the old pair stays.
    void journalLeftBehind_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reads");
        const QByteArray whole = journal("New\r\n", "new words\r\n");
        QTest::newRow("whole") << whole << "New/new words";
        QTest::newRow("empty") << QByteArray("") << "Old/old words";
        QTest::newRow("cut short") << whole.chopped(1) << "Old/old words";
        QTest::newRow("longer than it states") << whole + 'x' << "Old/old words";
        QTest::newRow("checksum of other words") << QByteArray(whole).replace("new words", "new wordz") << "Old/old words";
        QTest::newRow("stating 2 GB") << journal("New\r\n", "new words\r\n", "2000000000 11") << "Old/old words";
        QTest::newRow("of an older version") << QByteArray("zarviki hero record\n5 ab\n11 cd\n") << "Old/old words";
        QTest::newRow("50 MB") << whole + QByteArray(50 * 1000 * 1000, 'x') << "Old/old words";
    }

    void journalLeftBehind()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, reads);
        putOld();
        putBytes(dir->filePath(QStringLiteral("имя.commit")), content);
        QElapsedTimer took;
        took.start();
        QCOMPARE(shown(read()), reads);
        QVERIFY2(took.elapsed() < 1000, qPrintable(QString::number(took.elapsed())));
        QCOMPARE(folderEntries(folder), SavedFolder);
        QCOMPARE(shown(read()), reads);
    }

    // The longest record a save writes goes through its journal whole: here a disk that fails the
    // first rename leaves the journal for the next read to finish.
    void longestRecordFinishedFromItsJournal()
    {
        putOld();
        const QString longest(MaxRecordLineBytes, QLatin1Char('n'));
        watch().before = [](const QString &call, const QString &) { return call == QLatin1String("rename") ? EIO : 0; };
        const QString said = save(longest, longest);
        watch() = {};
        QVERIFY2(said.endsWith(MayBeReplaced), qPrintable(said));
        QCOMPARE(read(), hero(longest, longest));
        QCOMPARE(folderEntries(folder), SavedFolder);
    }

    // A call that may have taken effect and then failed keeps the journal, which the next read
    // finishes: a rename done and then reported failed, as a network file system may, or one
    // stopped by a folder put in the words' place, where the read shows the new pair till it goes.
    void journalKeptAfterAFailureThatMayHaveTakenEffect_data()
    {
        QTest::addColumn<bool>("done");
        QTest::newRow("the name's rename done, then reported failed") << true;
        QTest::newRow("a folder in the words' place after the name's rename") << false;
    }

    void journalKeptAfterAFailureThatMayHaveTakenEffect()
    {
        QFETCH(bool, done);
        putOld();
        watch().after = [&](const QString &call, const QString &name, int) {
            if (call == QLatin1String("rename") && name == QStringLiteral("имя") && !done)
                QFile::remove(aboutPath), QDir().mkpath(aboutPath + QStringLiteral("/inside"));
        };
        watch().before = [&](const QString &call, const QString &name) {
            if (call == QLatin1String("rename") && name == QStringLiteral("имя") && done) {
                QFile::remove(namePath);
                QFile::rename(dir->filePath(QStringLiteral("имя.new")), namePath);
                return EIO;
            }
            return 0;
        };
        const QString said = save(QStringLiteral("New"), QStringLiteral("new words"));
        watch() = {};
        QVERIFY2(said.contains(QDir::toNativeSeparators(done ? namePath : aboutPath) + "\": ") && said.endsWith(MayBeReplaced), qPrintable(said));
        QCOMPARE(shown(read()), QStringLiteral("New/new words"));
        QDir(aboutPath).removeRecursively();
        QCOMPARE(shown(read()), QStringLiteral("New/new words"));
        QCOMPARE(folderEntries(folder), SavedFolder);
        QCOMPARE(bytesOf(aboutPath), QByteArray("new words\r\n"));
    }

    // A read that meets an error while it would finish a save is no proof of anything: it shows the
    // journal's pair or none, changes nothing, and the next read finishes the save.
    void errorWhileFinishingProvesNothing_data()
    {
        QTest::addColumn<QString>("call");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("error");
        for (const char *file : {"имя.commit", "имя", "о_себе"})
            for (const char *call : {"open", "read"})
                for (const auto &[error, name] : {std::pair(ENOENT, "ENOENT"), {EINVAL, "EINVAL"}, {ELOOP, "ELOOP"}})
                    QTest::addRow("%s %s: %s", call, file, name) << call << file << error;
    }

    void errorWhileFinishingProvesNothing()
    {
        QFETCH(QString, call);
        QFETCH(QString, file);
        QFETCH(int, error);
        putBytes(namePath, "New\r\n");  // as a save killed after its first rename leaves it
        putBytes(aboutPath, "old words\r\n");
        putBytes(dir->filePath(QStringLiteral("имя.commit")), journal("New\r\n", "new words\r\n"));
        putBytes(dir->filePath(QStringLiteral("о_себе.new")), "new words\r\n");
        QStringList between = folderEntries(folder) << QStringLiteral("имя.guard");
        between.sort();
        bool failedOnce = false;
        watch().before = [&](const QString &c, const QString &name) {
            const bool now = !failedOnce && c == call && name == file;
            failedOnce = failedOnce || now;
            return now ? error : 0;
        };
        const QString first = shown(read());
        watch() = {};
        QVERIFY2(first == QStringLiteral("New/new words") || first == QStringLiteral("-"), qPrintable(first));
        if (file == QStringLiteral("имя.commit"))
            QCOMPARE(folderEntries(folder), between);
        QCOMPARE(shown(read()), QStringLiteral("New/new words"));
        QCOMPARE(folderEntries(folder), SavedFolder);
    }

    // Each error the player may meet has its own Russian sentence; the system's English text comes
    // only for the rare rest, and then after Russian words.
    void failureReasons_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("reading");
        QTest::addColumn<QString>("reason");
        QTest::newRow("EACCES") << EACCES << false << QStringLiteral("нет прав на запись");
        QTest::newRow("EPERM") << EPERM << false << QStringLiteral("нет прав на запись");
        QTest::newRow("EACCES reading") << EACCES << true << QStringLiteral("нет прав на чтение");
        QTest::newRow("EROFS") << EROFS << false << QStringLiteral("диск доступен только для чтения");
        QTest::newRow("ENOSPC") << ENOSPC << false << QStringLiteral("на диске не осталось места");
        QTest::newRow("ENOTDIR") << ENOTDIR << false << QStringLiteral("на пути стоит файл, а не папка");
        QTest::newRow("ENOENT") << ENOENT << false << QStringLiteral("такой папки нет");
        QTest::newRow("EAGAIN") << EAGAIN << false << QStringLiteral("файл занят другой программой");
        QTest::newRow("ENOTEMPTY") << ENOTEMPTY << false << QStringLiteral("папка не пуста");
        QTest::newRow("EXDEV: the system's words")
            << EXDEV << false << QStringLiteral("ошибка системы №%1 (%2)").arg(EXDEV).arg(qt_error_string(EXDEV));
    }

    void failureReasons()
    {
        QFETCH(int, error);
        QFETCH(bool, reading);
        QFETCH(QString, reason);
        QCOMPARE(failureReason(error, reading), reason);
    }

    // Another game holding the record: a save waits its while, then says so; a read waits as long,
    // then reads the pair as it stands, again when the other game replaced it meanwhile.
    void busyRecordWaitsThenTellsSo()
    {
#ifdef Q_OS_WASM
        QSKIP("a browser runs one game in a tab, and its file locks hold nothing: tabs meet only in its storage");
#endif
        putOld();
        recordfs::Folder other{folder};
        recordfs::Handle lock = recordfs::NoHandle;
        QCOMPARE(recordfs::calls.openFolder(folder, &other.handle), 0);
        QCOMPARE(recordfs::calls.lock(other, QStringLiteral("имя.guard"), &lock), 0);
        QElapsedTimer waited;
        waited.start();
        QCOMPARE(save(QStringLiteral("New"), QStringLiteral("new")),
                 QStringLiteral("Результат не сохранён.\nЗапись героя занята другой запущенной игрой и не освободилась за "
                                "2 с. Попробуйте ещё раз.\n") + Intact);
        QVERIFY2(waited.elapsed() >= RecordLockWaitMs - 20 && waited.elapsed() < RecordLockWaitMs + 1000,
                 qPrintable(QString::number(waited.elapsed())));
#ifndef Q_OS_WIN
        // Windows replaces no file that a reader holds open: there the other game's rename fails
        // instead, and the read never sees a pair change under it.
        watch().before = [this](const QString &call, const QString &name) {
            if (call == QLatin1String("open") && name == QStringLiteral("о_себе") && bytesOf(namePath) == "Old\r\n") {
                putBytes(namePath + QStringLiteral(".other"), "Other\r\n");  // the name is read: the other game saves
                putBytes(aboutPath + QStringLiteral(".other"), "other\r\n");
                for (const QString &path : {namePath, aboutPath})
                    QFile::remove(path), QFile::rename(path + QStringLiteral(".other"), path);
            }
            return 0;
        };
        QCOMPARE(read(), hero(QStringLiteral("Other"), QStringLiteral("other")));
        watch() = {};
#endif
        recordfs::calls.close(lock);
        recordfs::calls.close(other.handle);
    }
};

QTEST_GUILESS_MAIN(HeroRecordTest)

#include "tst_herorecord.moc"
