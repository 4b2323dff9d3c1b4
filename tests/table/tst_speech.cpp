// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader is told after each action: rules on the plain table, played through the
// real handlers.

#include <QtTest>

#include "PlayedMove.h"
#include "rules/Speech.h"

using namespace zarviki;
using namespace zarviki::testing;

class SpeechTest : public QObject {
    Q_OBJECT

private slots:
    // The rows are the table of what is spoken in docs/accessibility.md.
    void spokenAfter_data()
    {
        QTest::addColumn<TableMove>("action");
        QTest::addColumn<QString>("said");
        QTest::newRow("a throw") << TableMove{{}, Move::Command2Click, -1, {1, 0, 4, 4, 2}, {T, U, T, U, T}}
                                 << "Бросок: 1, 0, 4, 4, 2. Можно взять кубики 1, 3 и 5.";
        QTest::newRow("a throw with a die set aside")
            << TableMove{[](TableState &s) { s.Command1[0].Top = SetAside; }, Move::Command2Click, -1, {1, 1, 1, 1, 4},
                         {T, U, U, U, T}}
            << "Бросок: отложен, 1, 1, 1, 4. Можно взять кубик 5.";
        QTest::newRow("a take") << TableMove{offered, Move::Command1Click, 0} << "Кубик 1 взят: 3. Текущее значение 3.";
        QTest::newRow("a stand") << TableMove{[](TableState &s) { s.Label1.Caption = "17"; }, Move::Command3Click}
                                 << "Записано 17. Счёт: User 17, Компьютер 0. Ходит Компьютер.";
        QTest::newRow("a bust") << TableMove{{}, Move::Command2Click, -1, {3, 2, 4, 1, 1}, {U, U, U, U, U}}
                                << "Сгорел: взять нечего, текущее значение пропало. Ходит Компьютер.";
        QTest::newRow("a computer's throw of two dice")
            << TableMove{computersTurn, Move::Command4Click, -1, {5, 0, 1, 2, 2}, {T, U, T, U, U}}
            << "Компьютер отложил 5 и 1. Текущее значение 6.";
        QTest::newRow("a computer's throw of three dice")
            << TableMove{computersTurn, Move::Command4Click, -1, {1, 0, 1, 2, 2}, {T, U, T, T, U}}
            << "Компьютер отложил 1, 1 и 2. Текущее значение 4.";
        QTest::newRow("a computer's throw of a 0")
            << TableMove{computersTurn, Move::Command4Click, -1, {1, 0, 1, 2, 2}, {U, T, U, U, U}}
            << "Компьютер ничего не отложил. Текущее значение 0.";
        QTest::newRow("the computer's bank")
            << TableMove{[](TableState &s) {
                             computersTurn(s);
                             s.Label4.Caption = "17";
                         },
                         Move::Command4Click, -1, {5, 3, 1, 0, 0}, {T, T, U, U, U}}
            << "Компьютер записал 15. Счёт: User 17, Компьютер 15. Твой ход.";
        QTest::newRow("the computer's bust")
            << TableMove{computersTurn, Move::Command4Click, -1, {5, 3, 1, 0, 0}, {U, U, U, U, U}}
            << "Компьютер сгорел: взять нечего. Счёт: User 0, Компьютер 0. Твой ход.";
        QTest::newRow("the computer's victory")
            << TableMove{computerNearVictory, Move::Command4Click, -1, {5, 5, 0, 0, 0}, {T, T, U, U, U}}
            << "Компьютер записал 17. Счёт: User 14, Компьютер 108. Раунд выиграл Компьютер, раунды 0 : 3. "
               "Победил  компьютер !";
        QTest::newRow("the player's victory")
            << TableMove{playerNearVictory, Move::Command3Click}
            << "Записано 5. Счёт: User 104, Компьютер 0. Раунд выиграл User, раунды 3 : 0. Ты ПОБЕДИЛ!";
        QTest::newRow("the save-result button") << TableMove{{}, Move::Command5Click} << "";
        QTest::newRow("a second click on a die before the tick")
            << TableMove{[](TableState &s) {
                             offered(s);
                             s.Command1[0].Top = SetAside;
                             s.Label1.Caption = "3";
                         },
                         Move::Command1Click, 0}
            << "";
    }

    void spokenAfter()
    {
        QFETCH(TableMove, action);
        QFETCH(QString, said);
        const Played p = play(action);
        QCOMPARE(QString::fromStdString(zarviki::spokenAfter(action.move, action.die, p.before, p.handled, p.settled)),
                 said);
    }
};

QTEST_APPLESS_MAIN(SpeechTest)
#include "tst_speech.moc"
