// SPDX-License-Identifier: GPL-3.0-or-later
// Where the focus goes after each action: rules on the plain table, played through the real
// handlers.

#include <QtTest>

#include "PlayedMove.h"
#include "rules/Focus.h"

using namespace zarviki;
using namespace zarviki::testing;

Q_DECLARE_METATYPE(Control)

class FocusTest : public QObject {
    Q_OBJECT

private slots:
    void focusAfter_data()
    {
        QTest::addColumn<TableMove>("action");
        QTest::addColumn<Control>("focused");
        QTest::addColumn<Control>("next");
        const auto takenFirst = [](TableState &s) {
            offered(s);
            s.Command1[0].Top = SetAside;
        };
        QTest::newRow("a throw: the first takeable die")
            << TableMove{{}, Move::Command2Click, -1, {1, 0, 4, 4, 2}, {U, U, T, U, T}} << Control::Command2
            << Control::Command1_2;
        QTest::newRow("a take: on to the next takeable die, not back to the first")
            << TableMove{offered, Move::Command1Click, 2} << Control::Command1_2 << Control::Command1_3;
        QTest::newRow("a take by key: round the row") << TableMove{offered, Move::Command1Click, 3} << Control::Command2
                                                      << Control::Command1_0;
        QTest::newRow("the last take: back on the throw")
            << TableMove{[takenFirst](TableState &s) {
                             takenFirst(s);
                             s.Command1[2].Top = SetAside;
                         },
                         Move::Command1Click, 3}
            << Control::Command1_3 << Control::Command2;
        QTest::newRow("a bust: the computer's move")
            << TableMove{{}, Move::Command2Click, -1, {1, 0, 4, 4, 2}, {U, U, U, U, U}} << Control::Command2
            << Control::Command4;
        QTest::newRow("a stand: the computer's move") << TableMove{{}, Move::Command3Click} << Control::Command3
                                                      << Control::Command4;
        QTest::newRow("the computer throws on: it stays")
            << TableMove{computersTurn, Move::Command4Click, -1, {5, 0, 1, 2, 2}, {T, U, T, U, U}}
            << Control::Command4 << Control::Command4;
        QTest::newRow("the computer banks: the throw")
            << TableMove{computersTurn, Move::Command4Click, -1, {5, 3, 1, 0, 0}, {T, T, U, U, U}}
            << Control::Command4 << Control::Command2;
        QTest::newRow("the player's victory: the save-result button")
            << TableMove{playerNearVictory, Move::Command3Click} << Control::Command3 << Control::Command5;
        QTest::newRow("the computer's victory: a die still in play")
            << TableMove{computerNearVictory, Move::Command4Click, -1, {0, 5, 5, 0, 0}, {U, T, T, T, U}}
            << Control::Command4 << Control::Command1_1;
        QTest::newRow("the save-result button: back on it")
            << TableMove{[](TableState &s) { s.Command5.Visible = true, s.Label10.Caption = PlayerWon; },
                         Move::Command5Click}
            << Control::Command5 << Control::Command5;
    }

    // Never onto a control out of play.
    void focusAfter()
    {
        QFETCH(TableMove, action);
        QFETCH(Control, focused);
        QFETCH(Control, next);
        const TableState settled = play(action).settled;
        const Control to = zarviki::focusAfter(action.move, action.die, settled, focused);
        QCOMPARE(to, next);
        QVERIFY(to == Control::None || canRest(to, settled));
    }

    // Another window's write, or a tick of the referee: no move, and the focus keeps its place.
    void focusKept_data()
    {
        QTest::addColumn<bool>("dieOneOutOfPlay");
        QTest::addColumn<Control>("focused");
        QTest::addColumn<Control>("next");
        QTest::newRow("another window's write: the focus stays in play") << false << Control::Command3 << Control::None;
        QTest::newRow("another window's write: off a die out of play") << true << Control::Command1_1 << Control::Command2;
    }

    void focusKept()
    {
        QFETCH(bool, dieOneOutOfPlay);
        QFETCH(Control, focused);
        QFETCH(Control, next);
        TableState s;
        s.Command1[1].Enabled = !dieOneOutOfPlay;
        const TableState settled = settledByReferee(s);
        const Control to = zarviki::focusKept(settled, focused);
        QCOMPARE(to, next);
        QVERIFY(to == Control::None || canRest(to, settled));
    }
};

QTEST_APPLESS_MAIN(FocusTest)
#include "tst_focus.moc"
