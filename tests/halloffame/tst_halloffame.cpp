// SPDX-License-Identifier: GPL-3.0-or-later
// The winner and last-hero windows as a player meets them: their layout, what OK stores, what the
// last-hero window shows for every kind of record, when it reads it again, and failed saves.

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include "PlatformFiles.h"
#include "RecordFiles.h"
#include "TestSupport.h"
#include "WindowSupport.h"
#include "app/Shell.h"
#include "halloffame/Form3.h"
#include "halloffame/Form4.h"
#include "halloffame/HeroRecord.h"
#include "look/Look.h"
#include "registration/Form2.h"
#include "table/Form1.h"

using namespace zarviki;
using namespace zarviki::testing;

namespace {

QString dataHome;

QString recordFolder()
{
    return QFileInfo(heroNamePath()).absolutePath();
}

void type(QWidget *w, const QString &text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
    }
}

void key(QWidget *w, Qt::Key k)
{
    QTest::keyClick(w, k);
}

struct Expected {
    const char *name;
    int left, top, width, height;
    QString text;
    bool sizedToText;
};

}  // namespace

class HallOfFameTest : public QObject {
    Q_OBJECT
private:
    ScriptedChance chance;
    FixedClock clock;
    std::unique_ptr<Shell> shell;
    QStringList reports;

    void checkLayout(QWidget *window, const std::vector<Expected> &controls)
    {
        for (const Expected &c : controls) {
            auto *w = window->findChild<QWidget *>(QString::fromLatin1(c.name));
            QVERIFY2(w, c.name);
            QCOMPARE(textOf(w), c.text);
            QCOMPARE(w->font(), gameFont());
            const QRect given = twips(c.left, c.top, c.width, c.height);
            if (!c.sizedToText) {
                QCOMPARE(w->geometry(), given);
                continue;
            }
            // Sized to its text: it keeps its place and grows where the text needs more room.
            QCOMPARE(w->pos(), given.topLeft());
            QVERIFY(w->width() >= given.width() && w->height() >= given.height());
            QVERIFY2(QFontMetrics(w->font()).horizontalAdvance(c.text) <= w->width(), c.name);
            QVERIFY(w->sizeHint().width() <= w->width());
        }
    }

    // A victory as the referee declares it: the third round won.
    void win()
    {
        shell->form1()->change([](TableState &s) {
            s.Label7.Caption = "2";
            s.Label4.Caption = "101";
        });
        QTRY_VERIFY(shell->form1()->Command5->isVisible());
    }

    Form4 *openWinnerWindow()
    {
        QTest::mouseClick(shell->form1()->Command5, Qt::LeftButton);
        Form4 *winner = shell->form4();
        winner->reportSaveFailure = [this](const QString &message) { reports << message; };
        return winner;
    }

    Form3 *openLastHero()
    {
        shell->form1()->mnuHerpes->trigger();
        return shell->form3();
    }

private slots:
    void initTestCase()
    {
        dataHome = useTemporaryDataHome();
        installGameLook();
    }

    void init()
    {
        QDir(recordFolder()).removeRecursively();
        QFile::remove(recordFolder());
        reports.clear();
        shell = std::make_unique<Shell>(chance, clock);
        shell->start();
        QTest::mouseClick(shell->form2()->Command1, Qt::LeftButton);
    }

    void cleanup()
    {
        shell.reset();
        processDeferredDeletes();
    }

    void winnerWindowLayout()
    {
        win();
        Form4 *f = openWinnerWindow();
        QCOMPARE(f->windowTitle(), QStringLiteral("Регистрация плбедителя !"));
        QCOMPARE(f->size(), QSize(345, 104));
        QCOMPARE(f->minimumSize(), f->maximumSize());
        QCOMPARE(f->windowType(), Qt::Dialog);  // over the table window, no taskbar entry
        QCOMPARE(f->parentWidget(), shell->form1());
        QVERIFY(!(f->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(f->windowFlags() & Qt::WindowCloseButtonHint);
        checkLayout(f, {{"Text2", 1800, 240, 3135, 615, QString(), false},
                        {"Label2", 120, 240, 1365, 195, QStringLiteral("Пару слов о себе:"), true},
                        {"Command1", 2220, 1080, 735, 375, QStringLiteral("OK"), false}});
        QCOMPARE(f->Command1->text(), QLatin1String("OK"));  // Latin letters
        QVERIFY(!f->Command1->isDefault() && !f->Command1->autoDefault());
        QVERIFY(f->Text2->tabChangesFocus());
        QCOMPARE(f->focusWidget(), f->Text2);
        key(f->Text2, Qt::Key_Tab);  // the tab order: Text2, then OK
        QCOMPARE(f->focusWidget(), f->Command1);
        QVERIFY(!QApplication::activeModalWidget());
    }

    void lastHeroWindowLayout()
    {
        Form3 *f = openLastHero();
        QCOMPARE(f->windowTitle(), QStringLiteral("Последний герой !"));
        QCOMPARE(f->size(), QSize(349, 109));
        QCOMPARE(f->minimumSize(), f->maximumSize());
        QCOMPARE(f->windowType(), Qt::Window);  // a taskbar entry of its own
        QVERIFY(!f->parentWidget());
        QVERIFY(!(f->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(f->windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(f->findChildren<QPushButton *>().isEmpty());
        checkLayout(f, {{"Label1", 240, 120, 855, 195, QStringLiteral("Имя героя:"), true},
                        {"Label2", 120, 840, 1620, 195, QStringLiteral("Что мы о нем знаем:"), true},
                        {"Text1", 1920, 120, 1935, 285, QStringLiteral("Героев пока нет"), false},
                        {"Text2", 1920, 720, 3135, 615, QString(), false}});
        QVERIFY(!f->Text1->isReadOnly() && !f->Text2->isReadOnly());
        f->Text1->setFocus();
        key(f->Text1, Qt::Key_Tab);
        QCOMPARE(f->focusWidget(), f->Text2);
    }

    // What the last-hero window shows for the record it finds.
    void lastHeroShows_data()
    {
        QTest::addColumn<QByteArray>("nameFile");  // null: absent
        QTest::addColumn<QByteArray>("aboutFile");
        QTest::addColumn<QString>("text1");
        QTest::addColumn<QString>("text2");
        const QString none = QStringLiteral("Героев пока нет");
        QTest::newRow("both readable") << QByteArray("\xC2\xE0\xF1\xFF\r\n") << QByteArray("\xEF\xF0\xE8\xE2\xE5\xF2\r\n")
                                       << QStringLiteral("Вася") << QStringLiteral("привет");
        QTest::newRow("nothing saved") << QByteArray() << QByteArray() << none << QString();
        QTest::newRow("name file empty") << QByteArray("") << QByteArray("a\r\n") << none << QString();
        QTest::newRow("about file missing") << QByteArray("Vasya\r\n") << QByteArray() << none << QString();
        QTest::newRow("about file empty") << QByteArray("Vasya\r\n") << QByteArray("") << none << QString();
        QTest::newRow("empty name is no failure") << QByteArray("\r\n") << QByteArray("words\r\n") << QString()
                                                  << QStringLiteral("words");
        QTest::newRow("first lines only") << QByteArray("one\r\ntwo\r\n") << QByteArray("l1\r\nl2\r\nl3\r\n")
                                          << QStringLiteral("one") << QStringLiteral("l1");
        QTest::newRow("LF-only file read whole") << QByteArray("a\nb") << QByteArray("c\n\r\nd") << QStringLiteral("a\nb")
                                                 << QStringLiteral("c\n");
        QTest::newRow("NUL bytes") << QByteArray("N\0L\r\n", 5) << QByteArray("\0\r\n", 3)
                                   << QString::fromUtf16(u"N\0L", 3) << QString(QChar(0));
        QTest::newRow("byte 0x98") << QByteArray("\x98\r\n") << QByteArray("x\x98y") << QStringLiteral("\u0098")
                                   << QStringLiteral("x\u0098y");
    }

    void lastHeroShows()
    {
        QFETCH(QByteArray, nameFile);
        QFETCH(QByteArray, aboutFile);
        QFETCH(QString, text1);
        QFETCH(QString, text2);
        if (!nameFile.isNull())
            putBytes(heroNamePath(), nameFile);
        if (!aboutFile.isNull())
            putBytes(heroAboutPath(), aboutFile);
        Form3 *f = openLastHero();
        QVERIFY(f->isVisible());
        QCOMPARE(f->Text1->text(), text1);
        QCOMPARE(f->Text2->toPlainText(), text2);
    }

    // Record files that are not proper files fail at once, as "no heroes", and never hang.
    void lastHeroWithOddFiles_data()
    {
        QTest::addColumn<bool>("nameIsOdd");
        QTest::addColumn<int>("kind");
        for (bool name : {true, false}) {
            const char *which = name ? "name" : "about";
            for (NotAFile kind : notAFileKinds())
                QTest::addRow("%s: %s", which, nameOf(kind)) << name << int(kind);
        }
    }

    void lastHeroWithOddFiles()
    {
        QFETCH(bool, nameIsOdd);
        QFETCH(int, kind);
        putBytes(heroNamePath(), "Hero\r\n");
        putBytes(heroAboutPath(), "words\r\n");
        putNotAFile(nameIsOdd ? heroNamePath() : heroAboutPath(), NotAFile(kind));
        Form3 *f = openLastHero();
        QCOMPARE(f->Text1->text(), QStringLiteral("Героев пока нет"));
        QCOMPARE(f->Text2->toPlainText(), QString());
    }

    void lastHeroReadsOnlyWhenCreated()
    {
        putBytes(heroNamePath(), "Old\r\n");
        putBytes(heroAboutPath(), "old words\r\n");
        QPointer<Form3> first = openLastHero();
        QCOMPARE(first->Text1->text(), QStringLiteral("Old"));

        // A new record through the winner window, while the last-hero window stays open.
        win();
        Form4 *winner = openWinnerWindow();
        type(winner->Text2, QStringLiteral("новые слова"));
        QTest::mouseClick(winner->Command1, Qt::LeftButton);
        QCOMPARE(bytesOf(heroNamePath()), QByteArray("User\r\n"));

        QCOMPARE(openLastHero(), first.data());  // shown again: the old record
        QCOMPARE(first->Text1->text(), QStringLiteral("Old"));
        QCOMPARE(first->Text2->toPlainText(), QStringLiteral("old words"));

        first->Text1->setText(QStringLiteral("typed over"));  // stays on screen only
        QVERIFY(first->close());
        processDeferredDeletes();
        QVERIFY(first.isNull());
        Form3 *second = openLastHero();  // created afresh: the new record
        QCOMPARE(second->Text1->text(), QStringLiteral("User"));
        QCOMPARE(second->Text2->toPlainText(), QStringLiteral("новые слова"));
        QCOMPARE(bytesOf(heroNamePath()), QByteArray("User\r\n"));
    }

    void saveResultAndOk()
    {
        win();
        QVERIFY(!QFileInfo::exists(recordFolder()));
        Form4 *winner = openWinnerWindow();
        QVERIFY(winner->isVisible());
        QVERIFY(!shell->form1()->Command5->isVisible());
        QVERIFY(shell->form1()->isEnabled());

        // Registered as "User", nothing typed: six bytes and two.
        QTest::mouseClick(winner->Command1, Qt::LeftButton);
        QVERIFY(!winner->isVisible());
        QCOMPARE(bytesOf(heroNamePath()), QByteArray("User\r\n"));
        QCOMPARE(bytesOf(heroAboutPath()), QByteArray("\r\n"));
        QCOMPARE(QDir(recordFolder()).entryList(QDir::Files | QDir::Hidden | QDir::System),
                 QStringList({QStringLiteral("имя"), QStringLiteral("имя.guard"), QStringLiteral("о_себе")}));
        QVERIFY(reports.isEmpty());
        QVERIFY(!winner->findChild<QMessageBox *>());

        // The referee shows the button again; the same window comes back with what it held.
        QTRY_VERIFY(shell->form1()->Command5->isVisible());
        winner->Text2->setPlainText(QStringLiteral("Был тут"));
        QCOMPARE(openWinnerWindow(), winner);
        QCOMPARE(winner->Text2->toPlainText(), QStringLiteral("Был тут"));

        // The name is whatever the registration box holds at the moment of OK, spaces and all.
        shell->form2()->Text1->setText(QStringLiteral("  Петя "));
        QTest::mouseClick(winner->Command1, Qt::LeftButton);
        QCOMPARE(bytesOf(heroNamePath()), QByteArray("  \xCF\xE5\xF2\xFF \r\n"));
        QCOMPARE(bytesOf(heroAboutPath()), QByteArray("\xC1\xFB\xEB \xF2\xF3\xF2\r\n"));
    }

    void enterStartsANewLineAndEscapeDoesNothing()
    {
        win();
        Form4 *winner = openWinnerWindow();
        QCOMPARE(winner->focusWidget(), winner->Text2);
        type(winner->Text2, QStringLiteral("раз"));
        key(winner->Text2, Qt::Key_Return);
        key(winner->Text2, Qt::Key_Enter);
        type(winner->Text2, QStringLiteral("два"));
        key(winner->Text2, Qt::Key_Escape);
        key(winner, Qt::Key_Escape);
        QVERIFY(winner->isVisible());
        QVERIFY(!QFileInfo::exists(heroNamePath()));  // OK was not pressed
        QCOMPARE(winner->Text2->toPlainText(), QStringLiteral("раз\n\nдва"));

        // Tab moves on to OK rather than into the text.
        winner->Text2->setFocus();
        key(winner->Text2, Qt::Key_Tab);
        QCOMPARE(winner->Text2->toPlainText(), QStringLiteral("раз\n\nдва"));
        QCOMPARE(winner->focusWidget(), winner->Command1);

        QTest::mouseClick(winner->Command1, Qt::LeftButton);
        QCOMPARE(bytesOf(heroAboutPath()), QByteArray("\xF0\xE0\xE7\r\n\r\n\xE4\xE2\xE0\r\n"));
        QCOMPARE(openLastHero()->Text2->toPlainText(), QStringLiteral("раз"));

        // OK only hid the window: it comes back with the words typed before it.
        QTRY_VERIFY(shell->form1()->Command5->isVisible());
        QCOMPARE(openWinnerWindow(), winner);
        QCOMPARE(winner->Text2->toPlainText(), QStringLiteral("раз\n\nдва"));
    }

    void closeBoxWritesNothing()
    {
        putBytes(heroNamePath(), "Old\r\n");
        putBytes(heroAboutPath(), "old\r\n");
        win();
        QPointer<Form4> winner = openWinnerWindow();
        type(winner->Text2, QStringLiteral("never saved"));
        QVERIFY(winner->close());
        processDeferredDeletes();
        QVERIFY(winner.isNull());
        QCOMPARE(bytesOf(heroNamePath()), QByteArray("Old\r\n"));
        QCOMPARE(bytesOf(heroAboutPath()), QByteArray("old\r\n"));

        QTRY_VERIFY(shell->form1()->Command5->isVisible());
        Form4 *fresh = openWinnerWindow();
        QCOMPARE(fresh->Text2->toPlainText(), QString());
        QCOMPARE(fresh->focusWidget(), fresh->Text2);
    }

    // A save that cannot be made is told, keeps the window and its text, and leaves the old
    // record byte for byte.
    void failedSave_data()
    {
        QTest::addColumn<QString>("breakWhat");
        QTest::addColumn<QString>("failedFile");  // "name", "about" or "folder"
        QTest::newRow("directory in place of the name file") << QStringLiteral("name-dir") << QStringLiteral("name");
        QTest::newRow("directory in place of the about file") << QStringLiteral("about-dir") << QStringLiteral("about");
        QTest::newRow("record folder is a regular file") << QStringLiteral("folder-file") << QStringLiteral("folder");
    }

    void failedSave()
    {
        QFETCH(QString, breakWhat);
        QFETCH(QString, failedFile);
        const QByteArray oldName("Old\r\n"), oldAbout("old words\r\n");
        if (breakWhat == QLatin1String("folder-file")) {
            putBytes(recordFolder(), "not a folder");
        } else {
            putBytes(heroNamePath(), oldName);
            putBytes(heroAboutPath(), oldAbout);
            putNotAFile(breakWhat == QLatin1String("name-dir") ? heroNamePath() : heroAboutPath(),
                        NotAFile::Directory);
        }
        win();
        Form4 *winner = openWinnerWindow();
        type(winner->Text2, QStringLiteral("пара слов"));
        QTest::mouseClick(winner->Command1, Qt::LeftButton);

        QCOMPARE(reports.size(), 1);
        const QString path = failedFile == QLatin1String("about") ? heroAboutPath()
                             : failedFile == QLatin1String("name") ? heroNamePath() : recordFolder();
        QVERIFY2(reports.front().contains(QDir::toNativeSeparators(path)), qPrintable(reports.front()));
        QVERIFY(reports.front().startsWith(QStringLiteral("Результат не сохранён.")));
        QVERIFY(reports.front().contains(QStringLiteral("Прежняя запись героя осталась без изменений.")));
        QString words = reports.front();
        words.remove(QDir::toNativeSeparators(path));
        QVERIFY2(!words.contains(QRegularExpression(QStringLiteral("[A-Za-z]"))), qPrintable(words));  // all Russian
        QVERIFY(winner->isVisible());
        QCOMPARE(winner->Text2->toPlainText(), QStringLiteral("пара слов"));
        if (breakWhat == QLatin1String("folder-file")) {
            QCOMPARE(bytesOf(recordFolder()), QByteArray("not a folder"));
        } else {
            if (breakWhat != QLatin1String("name-dir"))
                QCOMPARE(bytesOf(heroNamePath()), oldName);
            if (breakWhat != QLatin1String("about-dir"))
                QCOMPARE(bytesOf(heroAboutPath()), oldAbout);
            QCOMPARE(QDir(recordFolder()).count(), 5u);  // ".", "..", the two record entries, the lock file
        }
        QVERIFY(shell->form1()->isVisible());  // the game goes on

        // Once the way is clear, the same window saves what it still holds.
        QDir(recordFolder()).removeRecursively();
        QFile::remove(recordFolder());
        QTest::mouseClick(winner->Command1, Qt::LeftButton);
        QCOMPARE(reports.size(), 1);
        QVERIFY(!winner->isVisible());
        QCOMPARE(bytesOf(heroAboutPath()), QByteArray("\xEF\xE0\xF0\xE0 \xF1\xEB\xEE\xE2\r\n"));
    }

    void failedSaveShowsAMessageBox()
    {
        putNotAFile(heroNamePath(), NotAFile::Directory);
        win();
        QTest::mouseClick(shell->form1()->Command5, Qt::LeftButton);
        Form4 *winner = shell->form4();
        QTest::mouseClick(winner->Command1, Qt::LeftButton);
        auto *box = winner->findChild<QMessageBox *>();
        QVERIFY(box);
        QVERIFY(box->isVisible());
        QVERIFY(box->text().contains(QDir::toNativeSeparators(heroNamePath())));
        QCOMPARE(box->buttons().size(), 1);
        QCOMPARE(box->buttons().front()->text(), QString::fromUtf16(u"\u041E\u041A"));  // Cyrillic О and К
        QVERIFY(!QApplication::activeModalWidget());  // the game's windows stay usable
        QVERIFY(winner->isVisible());
    }

    // A data folder that cannot be made: the message names the file in its way and says why.
    void dataFolderThatCannotBeMade()
    {
        const QString blocker = dataHome + QStringLiteral("/blocker");
        putBytes(blocker, "a file, not a folder");
        if (!moveDataLocation(blocker + QStringLiteral("/data")))
            QSKIP("The system alone says where the data location is");
        win();
        Form4 *winner = openWinnerWindow();
        QTest::mouseClick(winner->Command1, Qt::LeftButton);
        moveDataLocation(dataHome);
        QFile::remove(blocker);
        QCOMPARE(reports.size(), 1);
        QVERIFY2(reports.front().contains(QStringLiteral("Не удалось создать папку \"%1\": на пути стоит файл, а не папка.")
                                              .arg(QDir::toNativeSeparators(blocker))),
                 qPrintable(reports.front()));
        QVERIFY(winner->isVisible());
    }

    // A name longer than a line edit's usual limit is saved whole, and the last-hero window shows
    // both boxes from their first character.
    void longNameSavedWholeAndShownFromItsStart()
    {
        const QString name = QStringLiteral("Начало") + QString(40000, QLatin1Char('x'));
        const QString words = QStringLiteral("Слова") + QString(3000, QLatin1Char('y'));
        shell->form2()->Text1->setText(name);
        win();
        Form4 *winner = openWinnerWindow();
        winner->Text2->setPlainText(words);
        QTest::mouseClick(winner->Command1, Qt::LeftButton);
        QCOMPARE(bytesOf(heroNamePath()).size(), name.size() + 2);
        Form3 *f = openLastHero();
        QVERIFY(QTest::qWaitForWindowExposed(f));
        QCOMPARE(f->Text1->text(), name);
        QCOMPARE(f->Text2->toPlainText(), words);
        QCOMPARE(f->Text1->cursorPosition(), 0);
        QCOMPARE(f->Text2->textCursor().position(), 0);
        QCOMPARE(f->Text2->verticalScrollBar()->value(), 0);
        QCOMPARE(f->Text2->horizontalScrollBar()->value(), 0);
    }
};

QTEST_MAIN(HallOfFameTest)

#include "tst_halloffame.moc"
