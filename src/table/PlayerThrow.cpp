// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/DiceThrow.h"
#include "table/Handlers.h"

namespace zarviki {

namespace {
std::string faceOf(float draw) { return decimalText(static_cast<int>(draw * 6)); }
bool takeable(float draw) { return static_cast<int>(draw * 2) != 0; }
}  // namespace

void throwFacesAndFlags(TableState &s, Draws &draws)
{
    for (DieButton &die : s.Command1) {
        die.Caption = faceOf(draws.next());
        if (die.Top == SetAside)
            die.Caption = "X";
    }
    for (DieButton &die : s.Command1) {
        die.Enabled = takeable(draws.next());
        if (die.Top == SetAside)
            die.Enabled = false;
    }
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

}  // namespace zarviki
