// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader is told after each action, where the focus goes next, and the table as the
// referee leaves it: rules on the plain table, played through the real handlers.

#include <QtTest>
#include <functional>

#include "TestSupport.h"
#include "table/Focus.h"
#include "table/Handlers.h"
#include "table/Speech.h"

using namespace zarviki;
using namespace zarviki::testing;

namespace {

constexpr bool T = true, U = false;

// One action on a prepared table: the handler of `move` with the draws of one throw, if any.
struct Action {
    std::function<void(TableState &)> table;  // the table before the action
    Move move;
    int die = -1;
    std::vector<int> faces = {};
    std::vector<bool> flags = {};
};

struct Played {
    TableState before, handled;
};

Played play(const Action &a, const LevelOptions &level = {})
{
    ScriptedChance chance;
    FixedClock clock;
    Draws draws(chance, clock);
    for (int f : a.faces)
        chance.draws.push_back(face(f));
    for (bool t : a.flags)
        chance.draws.push_back(t ? takeable : untakeable);
    Played p;
    if (a.table)
        a.table(p.before);
    p.handled = p.before;
    switch (a.move) {
    case Move::Take:
        command1Click(p.handled, a.die);
        break;
    case Move::Throw:
        command2Click(p.handled, draws);
        break;
    case Move::Stand:
        command3Click(p.handled);
        break;
    case Move::ComputerThrow:
        command4Click(p.handled, draws, level);
        break;
    case Move::OpenWinnerWindow:
        command5Click(p.handled);
        break;
    case Move::WriteFromAnotherWindow:
        break;
    }
    return p;
}

// The player's turn after a throw of 3, 5, 0, 2, 4 with dice 1, 3 and 4 takeable.
void offered(TableState &s)
{
    const char *faces[] = {"3", "5", "0", "2", "4"};
    const bool flags[] = {T, U, T, T, U};
    for (int i = 0; i < DiceCount; ++i)
        s.Command1[i] = {OnTable, faces[i], flags[i]};
}

void computersTurn(TableState &s)
{
    s.Command2.Enabled = s.Command3.Enabled = false;
    s.Command4.Enabled = true;
}

void playerNearVictory(TableState &s)
{
    s.Label4.Caption = "99";
    s.Label7.Caption = "2";
    s.Label1.Caption = "5";
}

void computerNearVictory(TableState &s)
{
    computersTurn(s);
    s.Label4.Caption = "14";
    s.Label8.Caption = "2";
    s.Label5.Caption = "91";
}

}  // namespace

Q_DECLARE_METATYPE(Action)
Q_DECLARE_METATYPE(Control)

class SpeechTest : public QObject {
    Q_OBJECT

private slots:
    // The rows are the README's table of what is spoken.
    void spokenAfter_data()
    {
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("said");
        QTest::newRow("a throw") << Action{{}, Move::Throw, -1, {1, 0, 4, 4, 2}, {T, U, T, U, T}}
                                 << "Бросок: 1, 0, 4, 4, 2. Можно взять кубики 1, 3 и 5.";
        QTest::newRow("a throw with a die set aside")
            << Action{[](TableState &s) { s.Command1[0].Top = SetAside; }, Move::Throw, -1, {1, 1, 1, 1, 4},
                      {T, U, U, U, T}}
            << "Бросок: отложен, 1, 1, 1, 4. Можно взять кубик 5.";
        QTest::newRow("a take") << Action{offered, Move::Take, 0} << "Кубик 1 взят: 3. Текущее значение 3.";
        QTest::newRow("a stand") << Action{[](TableState &s) { s.Label1.Caption = "17"; }, Move::Stand}
                                 << "Записано 17. Счёт: User 17, Компьютер 0. Ходит Компьютер.";
        QTest::newRow("a bust") << Action{{}, Move::Throw, -1, {3, 2, 4, 1, 1}, {U, U, U, U, U}}
                                << "Сгорел: взять нечего, текущее значение пропало. Ходит Компьютер.";
        QTest::newRow("a computer's throw of two dice")
            << Action{computersTurn, Move::ComputerThrow, -1, {5, 0, 1, 2, 2}, {T, U, T, U, U}}
            << "Компьютер отложил 5 и 1. Текущее значение 6.";
        QTest::newRow("a computer's throw of three dice")
            << Action{computersTurn, Move::ComputerThrow, -1, {1, 0, 1, 2, 2}, {T, U, T, T, U}}
            << "Компьютер отложил 1, 1 и 2. Текущее значение 4.";
        QTest::newRow("a computer's throw of a 0")
            << Action{computersTurn, Move::ComputerThrow, -1, {1, 0, 1, 2, 2}, {U, T, U, U, U}}
            << "Компьютер ничего не отложил. Текущее значение 0.";
        QTest::newRow("the computer's bank")
            << Action{[](TableState &s) {
                          computersTurn(s);
                          s.Label4.Caption = "17";
                      },
                      Move::ComputerThrow, -1, {5, 3, 1, 0, 0}, {T, T, U, U, U}}
            << "Компьютер записал 15. Счёт: User 17, Компьютер 15. Твой ход.";
        QTest::newRow("the computer's bust")
            << Action{computersTurn, Move::ComputerThrow, -1, {5, 3, 1, 0, 0}, {U, U, U, U, U}}
            << "Компьютер сгорел: взять нечего. Счёт: User 0, Компьютер 0. Твой ход.";
        QTest::newRow("the computer's victory")
            << Action{computerNearVictory, Move::ComputerThrow, -1, {5, 5, 0, 0, 0}, {T, T, U, U, U}}
            << "Компьютер записал 17. Счёт: User 14, Компьютер 108. Раунд выиграл Компьютер, раунды 0 : 3. "
               "Победил  компьютер !";
        QTest::newRow("the player's victory")
            << Action{playerNearVictory, Move::Stand}
            << "Записано 5. Счёт: User 104, Компьютер 0. Раунд выиграл User, раунды 3 : 0. Ты ПОБЕДИЛ!";
        QTest::newRow("the save-result button") << Action{{}, Move::OpenWinnerWindow} << "";
    }

    void spokenAfter()
    {
        QFETCH(Action, action);
        QFETCH(QString, said);
        const Played p = play(action);
        QCOMPARE(QString::fromStdString(zarviki::spokenAfter(action.move, action.die, p.before, p.handled)), said);
    }

    void focusAfter_data()
    {
        QTest::addColumn<Action>("action");
        QTest::addColumn<Control>("focused");
        QTest::addColumn<Control>("next");
        const auto takenFirst = [](TableState &s) {
            offered(s);
            s.Command1[0].Top = SetAside;
        };
        QTest::newRow("a throw: the first takeable die")
            << Action{{}, Move::Throw, -1, {1, 0, 4, 4, 2}, {U, U, T, U, T}} << Control::Command2
            << Control::Command1_2;
        QTest::newRow("a take: on to the next takeable die, not back to the first")
            << Action{offered, Move::Take, 2} << Control::Command1_2 << Control::Command1_3;
        QTest::newRow("a take by key: round the row") << Action{offered, Move::Take, 3} << Control::Command2
                                                      << Control::Command1_0;
        QTest::newRow("the last take: back on the throw")
            << Action{[takenFirst](TableState &s) {
                          takenFirst(s);
                          s.Command1[2].Top = SetAside;
                      },
                      Move::Take, 3}
            << Control::Command1_3 << Control::Command2;
        QTest::newRow("a bust: the computer's move")
            << Action{{}, Move::Throw, -1, {1, 0, 4, 4, 2}, {U, U, U, U, U}} << Control::Command2
            << Control::Command4;
        QTest::newRow("a stand: the computer's move") << Action{{}, Move::Stand} << Control::Command3
                                                      << Control::Command4;
        QTest::newRow("the computer throws on: it stays")
            << Action{computersTurn, Move::ComputerThrow, -1, {5, 0, 1, 2, 2}, {T, U, T, U, U}}
            << Control::Command4 << Control::Command4;
        QTest::newRow("the computer banks: the throw")
            << Action{computersTurn, Move::ComputerThrow, -1, {5, 3, 1, 0, 0}, {T, T, U, U, U}}
            << Control::Command4 << Control::Command2;
        QTest::newRow("the player's victory: the save-result button")
            << Action{playerNearVictory, Move::Stand} << Control::Command3 << Control::Command5;
        QTest::newRow("the computer's victory: a die still in play")
            << Action{computerNearVictory, Move::ComputerThrow, -1, {0, 5, 5, 0, 0}, {U, T, T, T, U}}
            << Control::Command4 << Control::Command1_1;
        QTest::newRow("the save-result button: back on it")
            << Action{[](TableState &s) { s.Command5.Visible = true, s.Label10.Caption = PlayerWon; },
                      Move::OpenWinnerWindow}
            << Control::Command5 << Control::Command5;
        QTest::newRow("another window's write: the focus stays in play")
            << Action{{}, Move::WriteFromAnotherWindow} << Control::Command3 << Control::None;
        QTest::newRow("another window's write: off a die out of play")
            << Action{[](TableState &s) { s.Command1[1].Enabled = false; }, Move::WriteFromAnotherWindow}
            << Control::Command1_1 << Control::Command2;
    }

    // Never onto a control out of play.
    void focusAfter()
    {
        QFETCH(Action, action);
        QFETCH(Control, focused);
        QFETCH(Control, next);
        const Played p = play(action);
        const TableState settled = zarviki::settledByReferee(p.handled);
        const Control to = zarviki::focusAfter(action.move, action.die, settled, focused);
        QCOMPARE(to, next);
        QVERIFY(to == Control::None || canRest(to, settled));
    }

    void settledByReferee_data()
    {
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("rounds");
        QTest::addColumn<bool>("saveShown");
        QTest::newRow("a take: the die is marked") << Action{offered, Move::Take, 0} << "" << "0:0" << false;
        QTest::newRow("the player's victory") << Action{playerNearVictory, Move::Stand} << "Ты ПОБЕДИЛ!" << "3:0"
                                              << true;
        QTest::newRow("both over 100 at once: the computer's text stays")
            << Action{[](TableState &s) {
                          playerNearVictory(s);
                          s.Label8.Caption = "2";
                          s.Label5.Caption = "200";
                      },
                      Move::Stand}
            << "Победил  компьютер !" << "3:3" << false;
    }

    // The referee's settled table is what its ticks leave, and one more tick changes nothing.
    void settledByReferee()
    {
        QFETCH(Action, action);
        QFETCH(QString, status);
        QFETCH(QString, rounds);
        QFETCH(bool, saveShown);
        const TableState handled = play(action).handled;
        TableState s = zarviki::settledByReferee(handled);
        QCOMPARE(QString::fromStdString(s.Label10.Caption), status);
        QCOMPARE(QString::fromStdString(s.Label7.Caption + ":" + s.Label8.Caption), rounds);
        QCOMPARE(s.Command5.Visible, saveShown);
        for (int i = 0; i < DiceCount; ++i)
            QVERIFY(handled.Command1[i].Top != SetAside || (s.Command1[i].Caption == "X" && !s.Command1[i].Enabled));
        const TableState settled = s;
        timer1Tick(s);
        QVERIFY(s == settled);
    }
};

QTEST_APPLESS_MAIN(SpeechTest)
#include "tst_speech.moc"
