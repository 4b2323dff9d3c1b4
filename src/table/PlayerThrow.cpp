// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/DiceThrow.h"
#include "table/Handlers.h"

namespace zarviki {

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
