// SPDX-License-Identifier: GPL-3.0-or-later
// The colloquial captions: which clicks on the language boxes bring them, that they are already
// in place when the table window first shows, that nothing brings the plain captions back, and
// that the game plays the same under them.

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "TestSupport.h"
#include "WindowSupport.h"
#include "app/Shell.h"
#include "look/Look.h"
#include "registration/Form2.h"
#include "table/Form1.h"

using namespace zarviki;
using namespace zarviki::testing;

namespace {

struct Captions {
    QString Label3, Command4, Command3, Command2, Frame1;
    bool operator==(const Captions &) const = default;
};

const Captions Plain{"Компьютер", "Ход компа !", "Хватит !", "Скинуть !", "Текущее значение"};
const Captions Colloquial{"Железяка", "для IBM", "Пас", "Раздать", "Лаве"};

QString q(const std::string &s) { return QString::fromStdString(s); }

Captions inState(const TableState &s)
{
    return {q(s.Label3.Caption), q(s.Command4.Caption), q(s.Command3.Caption), q(s.Command2.Caption),
            q(s.Frame1.Caption)};
}

Captions onScreen(const Form1 *t)
{
    return {t->Label3->text(), t->Command4->text(), t->Command3->text(), t->Command2->text(), t->Frame1->title()};
}

char *describe(const Captions &c)
{
    return QTest::toString(QStringList{c.Label3, c.Command4, c.Command3, c.Command2, c.Frame1}.join(" | "));
}

// The table as it is created, with the given five captions.
TableState initialTable(const Captions &c)
{
    TableState s;
    s.Label3.Caption = c.Label3.toStdString();
    s.Command4.Caption = c.Command4.toStdString();
    s.Command3.Caption = c.Command3.toStdString();
    s.Command2.Caption = c.Command2.toStdString();
    s.Frame1.Caption = c.Frame1.toStdString();
    return s;
}

}  // namespace

namespace QTest {
template <> char *toString(const Captions &c) { return describe(c); }
}  // namespace QTest

class ColloquialTest : public QObject, private testing::GameRun {
    Q_OBJECT
private:

    void click(QCheckBox *box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2)); }
    void clickButton(QPushButton *b)
    {
        QVERIFY(b->isEnabled());
        QTest::mouseClick(b, Qt::LeftButton);
    }
    void expectCaptions(const Captions &c)
    {
        QCOMPARE(inState(shell->form1()->state()), c);
        QCOMPARE(onScreen(shell->form1()), c);
    }
    Form1 *colloquialTable()
    {
        click(shell->form2()->Check2);
        QTest::mouseClick(shell->form2()->Command1, Qt::LeftButton);
        return shell->form1();
    }

private slots:
    void initTestCase() { installGameLook(); }
    void init()
    {
        chance.draws.clear();
        startRun();
    }
    void cleanup() { endRun(); }

    void languageBoxClicks_data()
    {
        // The clicks that lead to the boxes before, the box the user clicks, the boxes after.
        QTest::addColumn<QString>("leadIn");
        QTest::addColumn<QChar>("clicked");
        QTest::addColumn<bool>("russianAfter");
        QTest::addColumn<bool>("colloquialAfter");
        QTest::addColumn<bool>("captionsColloquial");
        QTest::newRow("checked,clear + Русский: unchanged") << "" << QChar('R') << false << false << false;
        QTest::newRow("clear,clear + Русский: unchanged") << "R" << QChar('R') << true << false << false;
        QTest::newRow("clear,checked + Русский: stay colloquial") << "C" << QChar('R') << true << false << true;
        QTest::newRow("checked,clear + Разговорный: become colloquial") << "" << QChar('C') << false << true << true;
        QTest::newRow("clear,clear + Разговорный: become colloquial") << "R" << QChar('C') << false << true << true;
        QTest::newRow("clear,checked + Разговорный: stay colloquial") << "C" << QChar('C') << false << false << true;
    }

    void languageBoxClicks()
    {
        QFETCH(QString, leadIn);
        QFETCH(QChar, clicked);
        QFETCH(bool, russianAfter);
        QFETCH(bool, colloquialAfter);
        QFETCH(bool, captionsColloquial);
        Form2 *r = shell->form2();
        QVERIFY(r->Check1->isChecked() && !r->Check2->isChecked());  // as the load step left them
        expectCaptions(Plain);

        for (QChar c : leadIn)
            click(c == 'R' ? r->Check1 : r->Check2);
        click(clicked == 'R' ? r->Check1 : r->Check2);

        QCOMPARE(r->Check1->isChecked(), russianAfter);
        QCOMPARE(r->Check2->isChecked(), colloquialAfter);
        const Captions expected = captionsColloquial ? Colloquial : Plain;
        expectCaptions(expected);
        // Only the five captions change: every other property is as the table was created.
        QCOMPARE(shell->form1()->state(), initialTable(expected));
        QVERIFY(!shell->form1()->isVisible());
    }

    void colloquialAlreadyInPlaceWhenTheTableFirstShows()
    {
        Form1 *table = shell->form1();
        Form2 *r = shell->form2();
        click(r->Check2);
        QVERIFY(!table->isVisible());
        expectCaptions(Colloquial);

        QTest::mouseClick(r->Command1, Qt::LeftButton);
        QVERIFY(table->isVisible());
        QVERIFY(!r->isVisible());
        expectCaptions(Colloquial);
        QTest::qWait(5);  // a few referee ticks change nothing on a fresh table
        QCOMPARE(table->state(), initialTable(Colloquial));
        // Every flag as at start: the player's move, dice on the table, no save button.
        QVERIFY(table->Command2->isEnabled());
        QVERIFY(table->Command3->isEnabled());
        QVERIFY(!table->Command4->isEnabled());
        QVERIFY(!table->Command5->isVisible());
        for (QPushButton *die : table->Command1) {
            QVERIFY(die->isEnabled());
            QCOMPARE(die->y(), px(OnTable));
            QVERIFY(die->text().isEmpty());
        }
    }

    void neitherBoxBringsThePlainCaptionsBack()
    {
        Form2 *r = shell->form2();
        for (QCheckBox *box : {r->Check2, r->Check2, r->Check1, r->Check2, r->Check1, r->Check1}) {
            click(box);
            expectCaptions(Colloquial);
            QVERIFY(!(r->Check1->isChecked() && r->Check2->isChecked()));
        }
        QTest::mouseClick(r->Command1, Qt::LeftButton);
        expectCaptions(Colloquial);
    }

    void captionsSurviveRoundsAndVictories_data()
    {
        QTest::addColumn<QString>("playerTotal");
        QTest::addColumn<QString>("computerTotal");
        QTest::addColumn<QString>("playerRounds");
        QTest::addColumn<QString>("computerRounds");
        QTest::addColumn<QString>("status");
        QTest::newRow("player's round") << "101" << "0" << "0" << "0" << "";
        QTest::newRow("computer's round") << "0" << "120" << "1" << "0" << "";
        QTest::newRow("player's victory") << "105" << "40" << "2" << "1" << "Ты ПОБЕДИЛ!";
        QTest::newRow("computer's victory") << "90" << "101" << "2" << "2" << "Победил  компьютер !";
    }

    void captionsSurviveRoundsAndVictories()
    {
        QFETCH(QString, playerTotal);
        QFETCH(QString, computerTotal);
        QFETCH(QString, playerRounds);
        QFETCH(QString, computerRounds);
        QFETCH(QString, status);
        Form1 *table = colloquialTable();
        table->change([&](TableState &s) {
            s.Label4.Caption = playerTotal.toStdString();
            s.Label5.Caption = computerTotal.toStdString();
            s.Label7.Caption = playerRounds.toStdString();
            s.Label8.Caption = computerRounds.toStdString();
        });
        // The referee counts the round at its next tick.
        QTRY_COMPARE(table->Label7->text() + table->Label8->text(),
                     QString::number(playerRounds.toInt() + (playerTotal.toInt() > 100))
                         + QString::number(computerRounds.toInt() + (computerTotal.toInt() > 100)));
        QCOMPARE(table->Label10->text(), status);
        if (!status.isEmpty())
            QVERIFY(!table->Command2->isEnabled() && !table->Command3->isEnabled() && !table->Command4->isEnabled());
        QTest::qWait(5);
        expectCaptions(Colloquial);
    }

    void throwAndStandWorkUnderColloquialCaptions()
    {
        Form1 *table = colloquialTable();
        table->change([](TableState &s) {
            s.Label4.Caption = "98";
            s.Label7.Caption = "2";
        });
        QCOMPARE(table->Command2->text(), QStringLiteral("Раздать"));
        chance.queueThrow({face(5), face(2), face(3), face(1), face(4)},
                          {takeable, untakeable, untakeable, untakeable, untakeable});
        clickButton(table->Command2);
        QCOMPARE(table->Command1[0]->text(), QStringLiteral("5"));
        clickButton(table->Command1[0]);
        QCOMPARE(table->Label1->text(), QStringLiteral("5"));
        QTRY_COMPARE(table->Command1[0]->text(), QStringLiteral("X"));

        QCOMPARE(table->Command3->text(), QStringLiteral("Пас"));
        clickButton(table->Command3);
        QCOMPARE(table->Label4->text(), QStringLiteral("103"));
        QVERIFY(table->Command4->isEnabled());
        expectCaptions(Colloquial);

        // The third round wins the game; the captions stay colloquial through it.
        QTRY_COMPARE(table->Label10->text(), QString::fromStdString(PlayerWon));
        QCOMPARE(table->Label7->text(), QStringLiteral("3"));
        QCOMPARE(table->Label4->text(), QStringLiteral("0"));
        QVERIFY(table->Command5->isVisible());
        expectCaptions(Colloquial);
    }

    void computerPlaysUnderColloquialCaptions()
    {
        Form1 *table = colloquialTable();
        clickButton(table->Command3);  // standing at once hands the move over
        QCOMPARE(table->Command4->text(), QStringLiteral("для IBM"));
        chance.queueThrow({face(5), face(4), face(1), face(1), face(1)},
                          {takeable, takeable, untakeable, untakeable, untakeable});
        clickButton(table->Command4);  // 9 at "Бывалый": banked with the bonus of 7
        QCOMPARE(table->Label5->text(), QStringLiteral("16"));
        QVERIFY(table->Command2->isEnabled() && table->Command3->isEnabled() && !table->Command4->isEnabled());
        expectCaptions(Colloquial);
    }
};

QTEST_MAIN(ColloquialTest)
#include "tst_colloquial.moc"
