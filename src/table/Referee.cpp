// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/Handlers.h"

namespace zarviki {

namespace {

// One side's round: a total over 100 moves that side's counter on by one and clears the total
// and the current value. Each test reads the total afresh, so at most one of them takes effect;
// a counter at "3" stays, and the total then keeps its value.
void countRound(Caption &total, Caption &counter, Caption &current)
{
    static const char *const steps[][2] = {{"0", "1"}, {"1", "2"}, {"2", "3"}};
    for (const auto &step : steps) {
        if (leadingNumber(total.Caption) > 100 && counter.Caption == step[0]) {
            counter.Caption = step[1];
            current.Caption = "0";
            total.Caption = "0";
        }
    }
}

void declare(TableState &s, const std::string &status)
{
    s.Label10.Caption = status;
    s.Command2.Enabled = false;
    s.Command3.Enabled = false;
    s.Command4.Enabled = false;
}

}  // namespace

void timer1Tick(TableState &s)
{
    countRound(s.Label4, s.Label7, s.Label1);
    countRound(s.Label5, s.Label8, s.Label1);

    if (s.Label7.Caption == "3")
        declare(s, PlayerWon);
    if (s.Label8.Caption == "3")
        declare(s, ComputerWon);

    for (DieButton &die : s.Command1) {
        if (die.Top == SetAside)
            die.Caption = "X";
        if (die.Top == SetAside)
            die.Enabled = false;
    }

    if (s.Label10.Caption == PlayerWon)
        s.Command5.Visible = true;
}

TableState settledByReferee(TableState s)
{
    // A tick settles everything it finds; the second only confirms it. The bound is there in case
    // a rule ever undoes another's work, so that a wrong rule shows as a wrong table, not a hang.
    for (int tick = 0; tick < 4; ++tick) {
        const TableState before = s;
        timer1Tick(s);
        if (s == before)
            break;
    }
    return s;
}

}  // namespace zarviki
