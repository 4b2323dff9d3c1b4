// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/Handlers.h"

namespace zarviki {

namespace {

std::string faceOf(float draw) { return decimalText(static_cast<int>(draw * 6)); }
bool takeable(float draw) { return static_cast<int>(draw * 2) != 0; }

// The part of a throw that the player's and the computer's share: a face for every die, then a
// takeable flag for every die; set-aside dice show "X" and are never takeable.
void throwFacesAndFlags(TableState &s, Draws &draws)
{
    for (DieButton &die : s.Command1) {
        const std::string face = faceOf(draws.next());
        die.Caption = die.Top == SetAside ? "X" : face;
    }
    for (DieButton &die : s.Command1) {
        die.Enabled = takeable(draws.next());
        if (die.Top == SetAside)
            die.Enabled = false;
    }
}

// The computer banks its current value with its level's bonus, and the move goes back to the player.
void bank(TableState &s, long long bonus)
{
    s.Label5.Caption = decimalText(leadingNumber(s.Label5.Caption) + leadingNumber(s.Label1.Caption) + bonus);
    s.Label1.Caption = "0";
    s.Command4.Enabled = false;
    s.Command2.Enabled = true;
    s.Command3.Enabled = true;
}

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

void command1Click(TableState &s, int index)
{
    if (index < 0 || index >= DiceCount)
        return;
    DieButton &die = s.Command1[index];
    // A die already set aside waits for the referee to mark it; a second click on it before the
    // next tick must not add its face again.
    if (die.Top == SetAside)
        return;
    die.Top = SetAside;
    const long long current = leadingNumber(s.Label1.Caption);
    const long long face = leadingNumber(die.Caption);
    s.Label1.Caption = decimalText(current + face);
}

void command2Click(TableState &s, Draws &draws)
{
    throwFacesAndFlags(s, draws);

    s.Command2.Enabled = false;
    for (const DieButton &die : s.Command1)
        if (die.Enabled)
            s.Command2.Enabled = true;

    if (!s.Command2.Enabled) {  // bust: the current value is lost, the move passes
        s.Label1.Caption = "0";
        s.Command3.Enabled = false;
        s.Command4.Enabled = true;
    }
    if (!s.Command2.Enabled) {
        for (DieButton &die : s.Command1) {
            die.Top = OnTable;
            die.Caption = " ";
        }
    }
}

void command3Click(TableState &s)
{
    s.Label4.Caption = decimalText(leadingNumber(s.Label4.Caption) + leadingNumber(s.Label1.Caption));
    s.Command2.Enabled = false;
    s.Command3.Enabled = false;
    s.Label1.Caption = "0";
    s.Command4.Enabled = true;
    for (DieButton &die : s.Command1) {
        die.Top = OnTable;
        die.Caption = " ";
    }
}

void command4Click(TableState &s, Draws &draws, const LevelOptions &level)
{
    throwFacesAndFlags(s, draws);

    s.Command4.Enabled = false;
    for (const DieButton &die : s.Command1)
        if (die.Enabled)
            s.Command4.Enabled = true;

    if (!s.Command4.Enabled) {  // bust: nothing is banked, the move goes back to the player
        s.Label1.Caption = "0";
        s.Command3.Enabled = true;
        s.Command2.Enabled = true;
        s.Command4.Enabled = false;
    }

    // The computer takes every takeable die, and never keeps one that shows "0".
    for (DieButton &die : s.Command1)
        if (die.Enabled)
            die.Top = SetAside;
    for (DieButton &die : s.Command1)
        if (die.Caption == "0")
            die.Top = OnTable;

    for (const DieButton &die : s.Command1)
        if (die.Top == SetAside)
            s.Label1.Caption = decimalText(leadingNumber(s.Label1.Caption) + leadingNumber(die.Caption));

    if (leadingNumber(s.Label1.Caption) >= 4 && level.Option1)
        bank(s, 13);
    if (leadingNumber(s.Label1.Caption) > 6 && level.Option3)
        bank(s, 7);
    if (leadingNumber(s.Label1.Caption) > 8 && level.Option2)
        bank(s, 3);

    if (!s.Command4.Enabled) {
        for (DieButton &die : s.Command1) {
            die.Top = OnTable;
            die.Caption = " ";
        }
    }
}

void command5Click(TableState &s)
{
    s.Command5.Visible = false;
}

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
