// SPDX-License-Identifier: GPL-3.0-or-later
// The hero record files byte for byte, on every platform: what a save writes, what a read takes
// back, reads of files that are no proper record, and saves that fail part of the way.

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>

#include "RecordFiles.h"
#include "halloffame/HeroRecord.h"
#include "halloffame/RecordText.h"

using namespace zarviki;
using namespace zarviki::testing;

namespace {

std::optional<HeroRecord> hero(const QString &name, const QString &about)
{
    return HeroRecord{name, about};
}

QStringList withoutLock(QStringList entries)
{
    entries.removeAll(QStringLiteral("имя.lock"));
    return entries;
}

}  // namespace

class HeroRecordTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> dir;
    QString namePath, aboutPath;

    std::optional<HeroRecord> read() { return readHeroRecord(namePath, aboutPath); }

private slots:
    void initTestCase() { useTemporaryDataHome(); }

    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        namePath = dir->filePath(QStringLiteral("имя"));
        aboutPath = dir->filePath(QStringLiteral("о_себе"));
        recordfs::watch() = nullptr;
        recordfs::fault() = nullptr;
    }

    void pathsAreTheGameFolderInTheDataLocation()
    {
#ifdef Q_OS_WIN
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QLatin1Char('/');
#else
        const QString folder =
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/zarviki/");
#endif
        QCOMPARE(heroNamePath(), folder + QString::fromUtf16(u"\u0438\u043C\u044F"));
        QCOMPARE(heroAboutPath(), folder + QString::fromUtf16(u"\u043E\u005F\u0441\u0435\u0431\u0435"));
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

    void folderInPlaceOfARecordFileReadsNoHero()
    {
        putBytes(aboutPath, "words\r\n");
        QVERIFY(QDir().mkpath(namePath));
        QCOMPARE(read(), std::nullopt);
    }

    void secondSaveReplacesAll()
    {
        RecordWriter first(namePath, aboutPath);
        QVERIFY(save(QStringLiteral("Длинное имя героя"), QStringLiteral("много\r\nслов"), first));
        RecordWriter second(namePath, aboutPath);
        QVERIFY(save(QStringLiteral("Я"), QString(), second));
        QVERIFY(!second.oldRecordIntact());
        QCOMPARE(bytesOf(namePath), QByteArray("\xDF\r\n"));
        QCOMPARE(bytesOf(aboutPath), QByteArray("\r\n"));
        QCOMPARE(read(), hero(QStringLiteral("Я"), QString()));
        QCOMPARE(folderEntries(dir->path()),
                 QStringList({QStringLiteral("имя"), QStringLiteral("имя.lock"), QStringLiteral("о_себе")}));
    }

    void saveCreatesTheFolder()
    {
        const QString folder = dir->filePath(QStringLiteral("a/b"));
        RecordWriter w(folder + QStringLiteral("/имя"), folder + QStringLiteral("/о_себе"));
        QVERIFY(save(QStringLiteral("User"), QString(), w));
        QCOMPARE(bytesOf(folder + QStringLiteral("/имя")), QByteArray("User\r\n"));
    }

    // Each call a save makes on the disk, in order: the folder goes on the disk after each folder
    // made, after the marker, and after both renames, before the marker goes.
    void saveCallsInOrder_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("calls");
        const QStringList save{
            "create %1имя.new", "write", "sync", "close", "create %1о_себе.new", "write", "sync", "close",
            "create %1имя.commit", "write", "sync", "close", "sync folder %2", "rename %1имя", "rename %1о_себе",
            "sync folder %2", "remove %1имя.commit"};
        QStringList intoFolder, makingIt{"mkdir a", "sync folder .", "mkdir a/b", "sync folder a"};
        for (const QString &call : save) {
            intoFolder << QString(call).replace(QStringLiteral("%1"), QString()).replace(QStringLiteral("%2"), QStringLiteral("."));
            makingIt << QString(call).replace(QStringLiteral("%1"), QStringLiteral("a/b/")).replace(QStringLiteral("%2"), QStringLiteral("a/b"));
        }
        QTest::newRow("into the folder") << QString() << intoFolder;
        QTest::newRow("first save, making the folder") << QStringLiteral("a/b/") << makingIt;
    }

    void saveCallsInOrder()
    {
        QFETCH(QString, folder);
        QFETCH(QStringList, calls);
        putBytes(namePath, "Old\r\n");
        QStringList made;
        recordfs::watch() = [&](const char *call, const QString &path) {
            made << (path.isEmpty() ? QString::fromLatin1(call)
                                    : QString::fromLatin1(call) + QLatin1Char(' ') + QDir(dir->path()).relativeFilePath(path));
        };
        RecordWriter w(dir->filePath(folder + QStringLiteral("имя")), dir->filePath(folder + QStringLiteral("о_себе")));
        QVERIFY(save(QStringLiteral("New"), QStringLiteral("new"), w));
        recordfs::watch() = nullptr;
        QCOMPARE(made, calls);
    }

    // A read and a save remove only the files a save of this version makes: a stray marker goes,
    // a folder too, the player's own files stay, and so do names an older version's leftovers had,
    // which no pattern tells from a player's.
    void onlyTheGamesOwnFilesGo()
    {
        const QStringList players{"имя.a1B2c3", "имя.backup", "имя.notes", "имя.old-20240101", "о_себе.Zx9Qw1", "о_себе.backup"};
        for (const QString &name : players)
            putBytes(dir->filePath(name), "left\r\n");
        QVERIFY(QDir().mkpath(dir->filePath(QStringLiteral("имя.commit/inside"))));
        read();
        RecordWriter w(namePath, aboutPath);
        QVERIFY(save(QStringLiteral("New"), QStringLiteral("new"), w));
        QStringList left = players + QStringList{"имя", "имя.lock", "о_себе"};
        left.sort();
        QCOMPARE(folderEntries(dir->path()), left);
    }

    // Every failure names the file, gives a reason, and leaves the old record as it was.
    void failedSaveLeavesTheOldRecord_data()
    {
        QTest::addColumn<QString>("breakWhat");
        QTest::addColumn<bool>("nameFails");
        QTest::newRow("directory in place of the name file") << QStringLiteral("name-dir") << true;
        QTest::newRow("directory in place of the about file") << QStringLiteral("about-dir") << false;
        QTest::newRow("directory put in the about file's place during the save") << QStringLiteral("about-dir-late")
                                                                                   << false;
        QTest::newRow("folder is a regular file") << QStringLiteral("folder-file") << true;
        QTest::newRow("about file under a regular file") << QStringLiteral("about-under-file") << false;
        QTest::newRow("name longer than a read takes back") << QStringLiteral("too-long") << true;
        QTest::newRow("disk full while writing the marker") << QStringLiteral("marker-full") << true;
    }

    void failedSaveLeavesTheOldRecord()
    {
        QFETCH(QString, breakWhat);
        QFETCH(bool, nameFails);
        putBytes(namePath, "Old\r\n");
        putBytes(aboutPath, "old words\r\n");
        QString n = namePath, a = aboutPath;
        if (breakWhat == QLatin1String("name-dir"))
            QFile::remove(namePath), QDir().mkpath(namePath + QStringLiteral("/inside"));
        else if (breakWhat == QLatin1String("about-dir"))
            QFile::remove(aboutPath), QDir().mkpath(aboutPath + QStringLiteral("/inside"));
        else if (breakWhat == QLatin1String("folder-file"))
            n = namePath + QStringLiteral("/имя"), a = namePath + QStringLiteral("/о_себе");
        else if (breakWhat == QLatin1String("about-under-file"))
            a = namePath + QStringLiteral("/о_себе");
        const QStringList before = folderEntries(dir->path());
        bool markerMade = false;
        recordfs::fault() = [&](const char *call, const QString &) {
            return breakWhat == QLatin1String("marker-full") && markerMade && qstrcmp(call, "write") == 0 ? ENOSPC : 0;
        };
        recordfs::watch() = [&](const char *, const QString &path) { markerMade = markerMade || path == n + ".commit"; };
        if (breakWhat == QLatin1String("about-dir-late")) {
            // Both files are being written when something takes the about file's place.
            recordfs::watch() = [this](const char *call, const QString &path) {
                if (qstrcmp(call, "create") == 0 && path == aboutPath + QStringLiteral(".new"))
                    QFile::remove(aboutPath), QDir().mkpath(aboutPath);
            };
        }

        RecordWriter w(n, a);
        QVERIFY(!save(breakWhat == QLatin1String("too-long") ? QString(MaxRecordLineBytes + 1, QLatin1Char('a')) : QStringLiteral("New"),
                      QStringLiteral("new words"), w));
        recordfs::watch() = nullptr;
        recordfs::fault() = nullptr;
        QCOMPARE(w.failedPath(), markerMade ? n + ".commit" : nameFails ? n : a);
        QVERIFY(!w.errorString().isEmpty());
        QVERIFY(w.oldRecordIntact());
        if (breakWhat != QLatin1String("name-dir"))
            QCOMPARE(bytesOf(namePath), QByteArray("Old\r\n"));
        if (!breakWhat.startsWith(QLatin1String("about-dir")))
            QCOMPARE(bytesOf(aboutPath), QByteArray("old words\r\n"));
        QCOMPARE(withoutLock(folderEntries(dir->path())), before);  // no half-written files left behind
    }

    // A save that fails between its two replacements tells the player that the old record is gone
    // and the new one is finished at the next read, which then shows it whole. A read that cannot
    // read a file the marker names leaves every file as it is and shows no pair.
    void failureBetweenTheRenamesIsFinishedByTheNextRead_data()
    {
        QTest::addColumn<QString>("call");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("error");
        QTest::newRow("every file read") << QString() << QString() << 0;
        for (const QString file : {"имя.commit", "имя", "о_себе.new"})
            for (const QString call : {"open", "read"})
                for (const auto &[error, name] : {std::pair(EIO, "EIO"), {EMFILE, "EMFILE"}, {ENOMEM, "ENOMEM"}})
                    if (call == QLatin1String("open") || error != EMFILE)
                        QTest::addRow("%s %s: %s", qPrintable(call), qPrintable(file), name) << call << file << error;
    }

    void failureBetweenTheRenamesIsFinishedByTheNextRead()
    {
        QFETCH(QString, call);
        QFETCH(QString, file);
        QFETCH(int, error);
        putBytes(namePath, "Old\r\n");
        putBytes(aboutPath, "old words\r\n");
        recordfs::watch() = [this](const char *call, const QString &path) {
            if (qstrcmp(call, "rename") == 0 && path == namePath)
                QFile::remove(aboutPath), QDir().mkpath(aboutPath + QStringLiteral("/inside"));
        };
        RecordWriter w(namePath, aboutPath);
        QVERIFY(!save(QStringLiteral("New"), QStringLiteral("new words"), w));
        recordfs::watch() = nullptr;
        QCOMPARE(w.failedPath(), aboutPath);
        QVERIFY2(w.failureMessage().endsWith(
                     QStringLiteral("\nПрежнюю запись героя восстановить не удалось: новая будет дописана при "
                                    "следующем чтении.")),
                 qPrintable(w.failureMessage()));
        QVERIFY(QDir(aboutPath).removeRecursively());
        putBytes(aboutPath, "old words\r\n");  // as a save killed after its first rename leaves it
        const QStringList between = folderEntries(dir->path());
        QString opened;
        recordfs::fault() = [&](const char *c, const QString &path) {
            opened = qstrcmp(c, "open") == 0 ? QFileInfo(path).fileName() : opened;
            return c == call && opened == file ? error : 0;
        };
        if (error) {
            QCOMPARE(read(), std::nullopt);
            QCOMPARE(folderEntries(dir->path()), between);
        }
        recordfs::fault() = nullptr;
        QCOMPARE(read(), hero(QStringLiteral("New"), QStringLiteral("new words")));
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
        QCOMPARE(folderEntries(dir->path()), QStringList({QStringLiteral("имя"), QStringLiteral("имя.lock")}));
    }

    // Each error the player may meet has its own Russian sentence; the system's English text comes
    // only for the rare rest, and then after Russian words.
    void failureReasons_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("reason");
        QTest::newRow("EACCES") << EACCES << QStringLiteral("нет прав на запись");
        QTest::newRow("EPERM") << EPERM << QStringLiteral("нет прав на запись");
        QTest::newRow("EROFS") << EROFS << QStringLiteral("диск доступен только для чтения");
        QTest::newRow("ENOSPC") << ENOSPC << QStringLiteral("на диске не осталось места");
#ifdef EDQUOT
        QTest::newRow("EDQUOT") << EDQUOT << QStringLiteral("исчерпана дисковая квота");
#endif
        QTest::newRow("ENOTDIR") << ENOTDIR << QStringLiteral("на пути стоит файл, а не папка");
        QTest::newRow("EISDIR") << EISDIR << QStringLiteral("на месте файла стоит папка");
        QTest::newRow("ENOENT") << ENOENT << QStringLiteral("такой папки нет");
        QTest::newRow("ENAMETOOLONG") << ENAMETOOLONG << QStringLiteral("слишком длинное имя или путь");
#ifdef ELOOP
        QTest::newRow("ELOOP") << ELOOP << QStringLiteral("слишком много символических ссылок на пути");
#endif
        QTest::newRow("EMLINK") << EMLINK << QStringLiteral("в папке слишком много ссылок");
        QTest::newRow("EIO") << EIO << QStringLiteral("ошибка ввода-вывода на диске");
        QTest::newRow("EBUSY") << EBUSY << QStringLiteral("файл занят системой");
        QTest::newRow("EFBIG") << EFBIG << QStringLiteral("файл слишком велик");
        QTest::newRow("EEXIST") << EEXIST << QStringLiteral("на этом месте уже что-то стоит");
        QTest::newRow("ENOTEMPTY") << ENOTEMPTY << QStringLiteral("папка не пуста");
        QTest::newRow("EXDEV: the system's words")
            << EXDEV << QStringLiteral("ошибка системы №%1 (%2)").arg(EXDEV).arg(qt_error_string(EXDEV));
    }

    void failureReasons()
    {
        QFETCH(int, error);
        QFETCH(QString, reason);
        QCOMPARE(failureReason(error), reason);
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
        QCOMPARE(w.whatFailed(), QStringLiteral("Не удалось создать папку \"%1\": на пути стоит файл, а не папка.")
                                     .arg(QDir::toNativeSeparators(blocker + QStringLiteral("/data"))));
    }

    // Another game holding the record: a save and a read wait their while, then the save says so
    // and the read shows the pair as it stands, read again when the other game replaced it meanwhile.
    void busyRecordWaitsThenTellsSo()
    {
#ifdef Q_OS_WASM
        QSKIP("a browser runs one game in a tab, and its file locks hold nothing: tabs meet only in its storage");
#endif
        putBytes(namePath, "Old\r\n");
        putBytes(aboutPath, "old\r\n");
        RecordLock otherGame(namePath);
        QCOMPARE(otherGame.acquire(), RecordLock::Held);
        QElapsedTimer waited;
        waited.start();
        RecordWriter w(namePath, aboutPath);
        QVERIFY(!save(QStringLiteral("New"), QStringLiteral("new"), w));
        QVERIFY2(waited.elapsed() >= RecordLockWaitMs - 20 && waited.elapsed() < RecordLockWaitMs + 1000,
                 qPrintable(QString::number(waited.elapsed())));
        QCOMPARE(w.whatFailed(), QStringLiteral("Запись героя занята другой запущенной игрой и не освободилась за 2 с. "
                                                "Попробуйте ещё раз."));
        QVERIFY(w.oldRecordIntact());
        recordfs::fault() = [this](const char *call, const QString &path) {
            if (qstrcmp(call, "open") == 0 && path == aboutPath && bytesOf(namePath) == "Old\r\n") {
                putBytes(namePath + QStringLiteral(".other"), "Other\r\n");  // the name is read: the other game saves
                putBytes(aboutPath + QStringLiteral(".other"), "other\r\n");
                recordfs::renameOver(namePath + QStringLiteral(".other"), namePath);
                recordfs::renameOver(aboutPath + QStringLiteral(".other"), aboutPath);
            }
            return 0;
        };
        QCOMPARE(read(), hero(QStringLiteral("Other"), QStringLiteral("other")));
        recordfs::fault() = nullptr;
        otherGame.release();
        QCOMPARE(read(), hero(QStringLiteral("Other"), QStringLiteral("other")));
    }
};

QTEST_GUILESS_MAIN(HeroRecordTest)

#include "tst_herorecord.moc"
