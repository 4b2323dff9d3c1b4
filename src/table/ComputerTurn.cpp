// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/DiceThrow.h"
#include "table/Handlers.h"

namespace zarviki {

namespace {

void bank(TableState &s, long long bonus)
{
    s.Label5.Caption = decimalText(leadingNumber(s.Label5.Caption) + leadingNumber(s.Label1.Caption) + bonus);
    s.Label1.Caption = "0";
    s.Command4.Enabled = false;
    s.Command2.Enabled = true;
    s.Command3.Enabled = true;
}

}  // namespace

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

}  // namespace zarviki
