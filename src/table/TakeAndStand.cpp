// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/Handlers.h"

namespace zarviki {

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

}  // namespace zarviki
