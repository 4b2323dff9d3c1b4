// SPDX-License-Identifier: GPL-3.0-or-later
// The game through the table window: mouse clicks on its widgets, the referee on the real
// Timer1, and after every step the widgets showing exactly the state the rules give. Whole games
// are played to a victory of either side at every level.

#include <QAccessible>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "TableWalk.h"
#include "TableWindow.h"
#include "TestSupport.h"
#include "WindowSupport.h"
#include "app/Shell.h"
#include "look/Look.h"
#include "registration/Form2.h"
#include "table/Form1.h"

using namespace zarviki;
using namespace zarviki::testing;

Q_DECLARE_METATYPE(zarviki::testing::Level)

namespace {

const int DieLeft[DiceCount] = {120, 960, 1800, 2640, 3480};


QPushButton *widgetFor(Form1 &form, int action)
{
    if (action <= Die4)
        return form.Command1[action];
    switch (action) {
    case Throw: return form.Command2;
    case Stand: return form.Command3;
    case ComputerMove: return form.Command4;
    case Save: return form.Command5;
    }
    return nullptr;
}

QString q(const std::string &s) { return QString::fromStdString(s); }

// Empty when the widgets show `s`, else the first difference.
QString shows(const Form1 &form, const TableState &s)
{
    for (int i = 0; i < DiceCount; ++i) {
        const QPushButton *b = form.Command1[i];
        const DieButton &d = s.Command1[i];
        if (b->text() != q(d.Caption))
            return QStringLiteral("die %1 shows \"%2\", not \"%3\"").arg(i).arg(b->text(), q(d.Caption));
        if (b->isEnabled() != d.Enabled)
            return QStringLiteral("die %1 enabled %2").arg(i).arg(b->isEnabled());
        if (b->geometry() != QRect(px(DieLeft[i]), px(d.Top), px(615), px(615)))
            return QStringLiteral("die %1 at (%2, %3)").arg(i).arg(b->x()).arg(b->y());
        if (!b->isVisibleTo(&form))
            return QStringLiteral("die %1 hidden").arg(i);
    }
    const std::pair<const QPushButton *, const TurnButton *> turns[] = {
        {form.Command2, &s.Command2}, {form.Command3, &s.Command3}, {form.Command4, &s.Command4}};
    for (const auto &[b, t] : turns)
        if (b->text() != q(t->Caption) || b->isEnabled() != t->Enabled)
            return QStringLiteral("%1 \"%2\" enabled %3").arg(b->objectName(), b->text()).arg(b->isEnabled());
    if (form.Command5->isVisibleTo(&form) != s.Command5.Visible)
        return QStringLiteral("Command5 visible %1").arg(form.Command5->isVisibleTo(&form));
    const std::pair<const QLabel *, const Caption *> labels[] = {
        {form.Label1, &s.Label1}, {form.Label2, &s.Label2}, {form.Label3, &s.Label3}, {form.Label4, &s.Label4},
        {form.Label5, &s.Label5}, {form.Label7, &s.Label7}, {form.Label8, &s.Label8}, {form.Label10, &s.Label10}};
    for (const auto &[l, c] : labels)
        if (l->text() != q(c->Caption))
            return QStringLiteral("%1 shows \"%2\", not \"%3\"").arg(l->objectName(), l->text(), q(c->Caption));
    if (form.Frame1->title() != q(s.Frame1.Caption))
        return QStringLiteral("Frame1 \"%1\"").arg(form.Frame1->title());
    return {};
}

// A table window with scripted draws and a level the test sets.
struct ScriptedTable {
    ScriptedChance chance;
    FixedClock clock;
    Level level = Level::Byvaly;
    int levelReads = 0;
    std::unique_ptr<Form1> form;

    ScriptedTable()
    {
        form = std::make_unique<Form1>(chance, clock);
        form->readLevel = [this] {
            ++levelReads;
            return options(level);
        };
        form->show();
    }
    void click(QWidget *w) { QTest::mouseClick(w, Qt::LeftButton); }
    void throwDice(QPushButton *button, const std::vector<float> &faces, const std::vector<float> &flags)
    {
        chance.queueThrow(faces, flags);
        click(button);
    }
};

std::vector<float> all(float d) { return std::vector<float>(5, d); }

}  // namespace

class TableWindowTest : public QObject, private testing::GameRun {
    Q_OBJECT

private slots:
    void initTestCase() { installGameLook(); }
    void cleanup() { endRun(); }

    void showsTheInitialState()
    {
        ScriptedTable t;
        QVERIFY(settle(*t.form));
        QCOMPARE(shows(*t.form, TableState{}), QString());
        QVERIFY(t.form->state() == TableState{});
        QVERIFY(!t.form->Command5->isVisibleTo(t.form.get()));
    }

    // The referee rests once a tick finds nothing to do, and every handler wakes it.
    void timerRestsAndHandlersWakeIt()
    {
        ScriptedTable t;
        QVERIFY(settle(*t.form));
        QVERIFY(!t.form->Timer1->isActive());
        QCOMPARE(t.form->Timer1->interval(), 1);
        t.throwDice(t.form->Command2, {face(4), face(1), face(1), face(1), face(1)}, {takeable, untakeable,
                    untakeable, untakeable, untakeable});
        QVERIFY(t.form->Timer1->isActive());
        QVERIFY(settle(*t.form));
        t.click(t.form->Command1[0]);
        QVERIFY(t.form->Timer1->isActive());
        QCOMPARE(t.form->Command1[0]->text(), QStringLiteral("4"));  // the face until the tick
        // but read to a screen reader as the tick will leave it, should Tab reach it first
        QCOMPARE(QAccessible::queryAccessibleInterface(t.form->Command1[0])->text(QAccessible::Description),
                 QStringLiteral("нельзя взять"));
        QCOMPARE(t.form->Command1[0]->pos(), QPoint(px(120), 0));
        QVERIFY(settle(*t.form));
        QCOMPARE(t.form->Command1[0]->text(), QStringLiteral("X"));
        QVERIFY(!t.form->Command1[0]->isEnabled());
        QCOMPARE(t.form->Label1->text(), QStringLiteral("4"));
        t.click(t.form->Command3);
        QVERIFY(t.form->Timer1->isActive());
        QVERIFY(settle(*t.form));
        QCOMPARE(t.form->Label4->text(), QStringLiteral("4"));
    }

    // A disabled die raises no click; a second click on a taken die before the tick adds nothing.
    void clicksThatChangeNothing()
    {
        ScriptedTable t;
        t.throwDice(t.form->Command2, {face(3), face(5), face(2), face(2), face(2)},
                    {untakeable, takeable, untakeable, untakeable, untakeable});
        QVERIFY(settle(*t.form));
        const TableState before = t.form->state();
        t.click(t.form->Command1[0]);
        QVERIFY(t.form->state() == before);
        t.click(t.form->Command1[1]);
        t.click(t.form->Command1[1]);
        QCOMPARE(t.form->Label1->text(), QStringLiteral("5"));
        QVERIFY(settle(*t.form));
        QCOMPARE(t.form->Label1->text(), QStringLiteral("5"));
    }

    void setAsideDieStandsInTheTopRow()
    {
        ScriptedTable t;
        t.throwDice(t.form->Command2, all(face(2)), {untakeable, untakeable, untakeable, takeable, untakeable});
        t.click(t.form->Command1[3]);
        QCOMPARE(t.form->Command1[3]->pos(), QPoint(px(2640), px(0)));
        QVERIFY(settle(*t.form));
        // It shows over the status line and the version label, so the player sees and reaches it.
        QWidget *client = t.form->centralWidget();
        const QRect die = t.form->Command1[3]->geometry();
        for (const QPoint &p : {die.center(), die.bottomLeft() + QPoint(2, -2), die.bottomRight() - QPoint(2, 2)})
            QCOMPARE(client->childAt(p), static_cast<QWidget *>(t.form->Command1[3]));
    }

    // The level is read from the registration window at every computer throw.
    void levelFromTheRegistrationWindow()
    {
        startRun();
        Form1 *form = shell->form1();
        QTest::mouseClick(shell->form2()->Command1, Qt::LeftButton);
        QVERIFY(form->isVisible());
        QTest::mouseClick(form->Command3, Qt::LeftButton);  // stand before the first throw
        QVERIFY(settle(*form));
        QCOMPARE(form->Command4->isEnabled(), true);
        chance.queueThrow({face(5), face(1), face(1), face(1), face(1)},
                          {takeable, untakeable, untakeable, untakeable, untakeable});
        QTest::mouseClick(form->Command4, Qt::LeftButton);  // 5 at "Бывалый": the turn goes on
        QCOMPARE(form->Label1->text(), QStringLiteral("5"));
        QVERIFY(settle(*form));
        shell->form2()->Option1->setChecked(true);  // "Крутой"
        chance.queueThrow(all(face(2)), {untakeable, takeable, untakeable, untakeable, untakeable});
        QTest::mouseClick(form->Command4, Qt::LeftButton);  // 7 at "Крутой": banks 7 + 13
        QCOMPARE(form->Label5->text(), QStringLiteral("20"));
        QVERIFY(form->Command2->isEnabled());
        QVERIFY(settle(*form));
    }

    // A restless user through the window, checked against the rules after every step.
    void randomWalk_data()
    {
        QTest::addColumn<Level>("level");
        QTest::addColumn<int>("steps");
        for (const Level level : {Level::Krutoy, Level::Byvaly, Level::Lamer})
            QTest::newRow(levelName(level)) << level << 5000;
    }
    void randomWalk()
    {
        QFETCH(Level, level);
        QFETCH(int, steps);
        QElapsedTimer timer;
        timer.start();
        int games = 0, playerWins = 0, computerWins = 0, ticks = 0;
        for (std::uint64_t game = 1, done = 0; done < std::uint64_t(steps); ++game) {
            const std::uint64_t sequence = game * 7919 + std::uint64_t(level);
            LoadedChance windowChance(sequence), shadowChance(sequence);
            CreepingClock windowClock(40000.0 + game), shadowClock(40000.0 + game);
            Draws shadowDraws(shadowChance, shadowClock);
            const bool loaded = game % 2 == 0;
            Form1 form(windowChance, windowClock);
            form.readLevel = [level] { return options(level); };
            form.show();
            QVERIFY(settle(form));
            TableState shadow = form.state();
            RandomUser user(sequence);
            GameHistory history;
            int afterEnd = 0;
            for (int step = 0; afterEnd < 30 && done < std::uint64_t(steps); ++step, ++done) {
                const int action = user.next(shadow);
                const LoadedChance::Lean lean =
                    !loaded ? LoadedChance::Fair : action == Throw ? LoadedChance::High : LoadedChance::Low;
                windowChance.lean = shadowChance.lean = lean;
                if (action == Tick) {
                    QVERIFY2(settle(form), "the referee never rested");
                    ++ticks;
                } else {
                    QTest::mouseClick(widgetFor(form, action), Qt::LeftButton);
                }
                apply(shadow, action, shadowDraws, options(level));
                const QString where = QStringLiteral("game %1 step %2 after %3: ").arg(game).arg(step)
                                          .arg(QString::fromLatin1(actionName(action)));
                if (!(form.state() == shadow))
                    QFAIL(qPrintable(where + QStringLiteral("the window's state is not the rules' state")));
                const QString shown = shows(form, shadow);
                if (!shown.isEmpty())
                    QFAIL(qPrintable(where + shown));
                std::string problem = checkShape(shadow);
                if (problem.empty() && action == Tick)
                    problem = checkRefereed(shadow);
                if (problem.empty())
                    problem = history.check(shadow);
                if (!problem.empty())
                    QFAIL(qPrintable(where + q(problem)));
                afterEnd += history.over();
            }
            ++games;
            playerWins += history.status() == PlayerWon;
            computerWins += history.status() == ComputerWon;
        }
        qInfo("%s: %d steps (%d with the timer let run), %d games, %d won by the player, %d by the computer, %lld ms",
              levelName(level), steps, ticks, games, playerWins, computerWins, timer.elapsed());
    }

    // Whole games through the window, to a victory of the side the dice favour.
    void wholeGame_data()
    {
        QTest::addColumn<Level>("level");
        QTest::addColumn<bool>("playerWins");
        QTest::addColumn<int>("computerBank");  // what one computer turn of five 5s banks
        for (const auto &[level, bank] : {std::pair{Level::Krutoy, 38}, {Level::Byvaly, 32}, {Level::Lamer, 28}}) {
            QTest::addRow("%s, the player wins", levelName(level)) << level << true << bank;
            QTest::addRow("%s, the computer wins", levelName(level)) << level << false << bank;
        }
    }
    void wholeGame()
    {
        QFETCH(Level, level);
        QFETCH(bool, playerWins);
        QFETCH(int, computerBank);
        ScriptedTable t;
        t.level = level;
        Form1 &f = *t.form;
        QSignalSpy saveClicks(&f, &Form1::command5Clicked);
        int turns = 0, expectedPlayer = 0, expectedComputer = 0, rounds = 0;
        while (f.Label10->text().isEmpty()) {
            QVERIFY(++turns < 100);
            QVERIFY(f.Command2->isEnabled() && f.Command3->isEnabled() && !f.Command4->isEnabled());
            if (playerWins) {  // five 5s, all taken: 25 a turn
                t.throwDice(f.Command2, all(face(5)), all(takeable));
                for (QPushButton *die : f.Command1)
                    t.click(die);
                QCOMPARE(f.Label1->text(), QStringLiteral("25"));
                QVERIFY(settle(f));
                for (QPushButton *die : f.Command1)
                    QVERIFY(die->text() == QStringLiteral("X") && !die->isEnabled() && die->y() == 0);
                t.click(f.Command3);
                expectedPlayer += 25;
            } else {  // a bust at once
                t.throwDice(f.Command2, all(face(5)), all(untakeable));
            }
            QVERIFY(settle(f));
            if (expectedPlayer > 100) {
                expectedPlayer = 0;
                ++rounds;
            }
            QCOMPARE(f.Label4->text(), QString::number(expectedPlayer));
            if (!f.Label10->text().isEmpty())
                break;
            QVERIFY(!f.Command2->isEnabled() && !f.Command3->isEnabled() && f.Command4->isEnabled());
            const int readsBefore = t.levelReads;
            if (playerWins) {
                t.throwDice(f.Command4, all(face(5)), all(untakeable));
            } else {
                t.throwDice(f.Command4, all(face(5)), all(takeable));
                expectedComputer += computerBank;
            }
            QCOMPARE(t.levelReads, readsBefore + 1);
            QVERIFY(settle(f));
            if (expectedComputer > 100) {
                expectedComputer = 0;
                ++rounds;
            }
            QCOMPARE(f.Label5->text(), QString::number(expectedComputer));
            QCOMPARE(f.Label7->text(), QString::number(playerWins ? rounds : 0));
            QCOMPARE(f.Label8->text(), QString::number(playerWins ? 0 : rounds));
            QCOMPARE(shows(f, f.state()), QString());
        }
        QCOMPARE(rounds, 3);
        QCOMPARE(f.Label10->text(), playerWins ? QStringLiteral("Ты ПОБЕДИЛ!") : QStringLiteral("Победил  компьютер !"));
        QCOMPARE(f.Label7->text(), QString(playerWins ? "3" : "0"));
        QCOMPARE(f.Label8->text(), QString(playerWins ? "0" : "3"));
        QVERIFY(!f.Command2->isEnabled() && !f.Command3->isEnabled() && !f.Command4->isEnabled());
        QCOMPARE(f.Command5->isVisibleTo(&f), playerWins);
        QCOMPARE(shows(f, f.state()), QString());
        if (playerWins) {
            t.click(f.Command5);
            QCOMPARE(saveClicks.count(), 1);
            QVERIFY(!f.Command5->isVisibleTo(&f));
            QVERIFY(settle(f));
            QVERIFY(f.Command5->isVisibleTo(&f));  // back at the next tick
        }
        // The result stays while the referee goes on.
        QTest::qWait(20);
        QVERIFY(!f.Command2->isEnabled() && !f.Command3->isEnabled() && !f.Command4->isEnabled());
        QCOMPARE(f.Label10->text().isEmpty(), false);
    }

    // A fair game with the game's own generator, a plain player and no loaded dice, ends too.
    void fairGameEnds_data()
    {
        QTest::addColumn<Level>("level");
        for (const Level level : {Level::Krutoy, Level::Byvaly, Level::Lamer})
            QTest::newRow(levelName(level)) << level;
    }
    void fairGameEnds()
    {
        QFETCH(Level, level);
        ClockSeededGenerator chance(2024 + int(level));
        TimeOfDay clock;
        Form1 f(chance, clock);
        f.readLevel = [level] { return options(level); };
        f.show();
        int clicks = 0;
        while (f.Label10->text().isEmpty()) {
            QVERIFY(++clicks < 20000);
            if (f.Command4->isEnabled()) {
                QTest::mouseClick(f.Command4, Qt::LeftButton);
            } else if (f.Label1->text().toInt() >= 12) {
                QTest::mouseClick(f.Command3, Qt::LeftButton);
            } else {
                QTest::mouseClick(f.Command2, Qt::LeftButton);
                for (QPushButton *die : f.Command1)
                    if (die->isEnabled() && die->y() != 0)
                        QTest::mouseClick(die, Qt::LeftButton);
            }
            QVERIFY(settle(f));
            QCOMPARE(shows(f, f.state()), QString());
        }
        qInfo("%s: \"%s\" after %d clicks, rounds %s : %s", levelName(level), qPrintable(f.Label10->text()), clicks,
              qPrintable(f.Label7->text()), qPrintable(f.Label8->text()));
        QCOMPARE(f.Command5->isVisibleTo(&f), f.Label10->text() == QStringLiteral("Ты ПОБЕДИЛ!"));
    }
};

QTEST_MAIN(TableWindowTest)
#include "tst_table.moc"
