// SPDX-License-Identifier: GPL-3.0-or-later
// The registration window: the two language boxes exclude each other and react only to the
// user's own clicks; the three levels are one group; the level is read where the computer plays.

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>

#include "TestSupport.h"
#include "WindowSupport.h"
#include "app/Shell.h"
#include "look/Look.h"
#include "registration/Form2.h"
#include "table/Form1.h"

using namespace zarviki;

class RegistrationTest : public QObject, private testing::GameRun {
    Q_OBJECT
private:

    void click(QCheckBox *box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2)); }

private slots:
    void initTestCase() { installGameLook(); }
    void init() { startRun(); }
    void cleanup() { endRun(); }

    void languageBoxes_data()
    {
        // Clicks that lead to the state before, the box clicked, the state after, and whether the
        // table shows the colloquial captions afterwards.
        QTest::addColumn<QString>("leadIn");
        QTest::addColumn<QChar>("clicked");
        QTest::addColumn<bool>("russianAfter");
        QTest::addColumn<bool>("colloquialAfter");
        QTest::addColumn<bool>("captionsColloquial");
        QTest::addColumn<int>("colloquialHandlerRuns");
        QTest::newRow("checked,clear + Русский") << "" << QChar('R') << false << false << false << 0;
        QTest::newRow("clear,clear + Русский") << "R" << QChar('R') << true << false << false << 0;
        QTest::newRow("clear,checked + Русский") << "C" << QChar('R') << true << false << true << 1;
        QTest::newRow("checked,clear + Разговорный") << "" << QChar('C') << false << true << true << 1;
        QTest::newRow("clear,clear + Разговорный") << "R" << QChar('C') << false << true << true << 1;
        QTest::newRow("clear,checked + Разговорный") << "C" << QChar('C') << false << false << true << 2;
    }

    void languageBoxes()
    {
        QFETCH(QString, leadIn);
        QFETCH(QChar, clicked);
        QFETCH(bool, russianAfter);
        QFETCH(bool, colloquialAfter);
        QFETCH(bool, captionsColloquial);
        QFETCH(int, colloquialHandlerRuns);
        Form2 *r = shell->form2();
        QSignalSpy colloquial(r, &Form2::colloquialChosen);
        for (QChar c : leadIn + clicked) {
            click(c == 'R' ? r->Check1 : r->Check2);
            QVERIFY(!(r->Check1->isChecked() && r->Check2->isChecked()));
        }
        QCOMPARE(r->Check1->isChecked(), russianAfter);
        QCOMPARE(r->Check2->isChecked(), colloquialAfter);
        QCOMPARE(colloquial.count(), colloquialHandlerRuns);
        const TableState &table = shell->form1()->state();
        QCOMPARE(table.Command2.Caption == "Раздать", captionsColloquial);
        QCOMPARE(table.Label3.Caption == "Железяка", captionsColloquial);
    }

    void keyboardToggleCountsAsTheUsersClick()
    {
        Form2 *r = shell->form2();
        r->Check2->setFocus();
        QTest::keyClick(r->Check2, Qt::Key_Space);
        QVERIFY(r->Check2->isChecked());
        QVERIFY(!r->Check1->isChecked());
        QCOMPARE(shell->form1()->state().Frame1.Caption, std::string("Лаве"));
    }

    // Leaving the name box with Tab moves on to "ОК" and starts nothing: only Enter or "ОК" does.
    void tabFromTheNameBoxStartsNothing()
    {
        Form2 *r = shell->form2();
        QSignalSpy ok(r, &Form2::command1Clicked);
        r->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(r));
        r->Text1->setFocus();
        QTest::keyClicks(r->Text1, QStringLiteral("Ann"));
        QTest::keyClick(r->Text1, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), r->Command1);
        QCOMPARE(ok.count(), 0);
    }

    void levelsAreOneGroup()
    {
        Form2 *r = shell->form2();
        QVERIFY(r->Option3->isChecked());
        QVERIFY(!r->Option1->isChecked() && !r->Option2->isChecked());
        for (QRadioButton *option : {r->Option1, r->Option2, r->Option3, r->Option1}) {
            QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(8, option->height() / 2));
            const LevelOptions level = r->level();
            QCOMPARE(level.Option1 + level.Option2 + level.Option3, 1);
            QVERIFY(option->isChecked());
        }
        // Left to right: "Л@мер", "Бывалый", "Крутой".
        QVERIFY(r->Option2->x() < r->Option3->x() && r->Option3->x() < r->Option1->x());
    }

    void computerPlaysAtTheChosenLevel_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<int>("faceTaken");
        QTest::addColumn<QString>("computerTotal");
        QTest::newRow("Крутой banks 4 with 13") << "Option1" << 4 << "17";
        QTest::newRow("Бывалый keeps 5 going") << "" << 5 << "0";
        QTest::newRow("Л@мер keeps 5 going") << "Option2" << 5 << "0";
    }

    void computerPlaysAtTheChosenLevel()
    {
        QFETCH(QString, option);
        QFETCH(int, faceTaken);
        QFETCH(QString, computerTotal);
        Form2 *r = shell->form2();
        if (!option.isEmpty()) {
            auto *button = r->findChild<QRadioButton *>(option);
            QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
        }
        QTest::mouseClick(r->Command1, Qt::LeftButton);
        Form1 *table = shell->form1();
        QTest::mouseClick(table->Command3, Qt::LeftButton);  // standing at once hands over the move
        using namespace testing;
        chance.queueThrow({face(faceTaken), face(1), face(1), face(1), face(1)},
                          {takeable, untakeable, untakeable, untakeable, untakeable});
        QTest::mouseClick(table->Command4, Qt::LeftButton);
        QCOMPARE(QString::fromStdString(table->state().Label5.Caption), computerTotal);
    }
};

QTEST_MAIN(RegistrationTest)
#include "tst_registration.moc"
