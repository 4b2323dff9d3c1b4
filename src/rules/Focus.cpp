// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/Focus.h"

namespace zarviki {

namespace {

// The first die from `die` on, round the row, that may be taken.
Control firstTakeableFrom(int die, const TableState &s)
{
    for (int k = 0; k < DiceCount; ++k) {
        const int i = (die + k) % DiceCount;
        if (dieTakeable(s, i))
            return dieControl(i);
    }
    return Control::None;
}

Control nextFor(Move move, int die, const TableState &s)
{
    switch (move) {
    case Move::Command1Click: {
        const Control next = firstTakeableFrom(die + 1, s);
        return next != Control::None ? next : Control::Command2;
    }
    case Move::Command2Click:
        return s.Command2.Enabled ? firstTakeableFrom(0, s) : Control::Command4;
    case Move::Command3Click:
        return Control::Command4;
    case Move::Command4Click:
        return s.Command4.Enabled ? Control::Command4 : Control::Command2;
    case Move::Command5Click:
        return Control::Command5;  // back on it when the referee shows it again
    }
    return Control::None;
}

}  // namespace

Control dieControl(int index) { return Control(int(Control::Command1_0) + index); }

int dieIndex(Control c)
{
    const int i = int(c) - int(Control::Command1_0);
    return i >= 0 && i < DiceCount ? i : -1;
}

bool canRest(Control c, const TableState &s)
{
    switch (c) {
    case Control::None:
        return false;
    case Control::Command2:
        return s.Command2.Enabled;
    case Control::Command3:
        return s.Command3.Enabled;
    case Control::Command4:
        return s.Command4.Enabled;
    case Control::Command5:
        return s.Command5.Visible;
    default:
        return dieTakeable(s, dieIndex(c));
    }
}

Control focusAfter(Move move, int die, const TableState &settled, Control focused)
{
    const Control to = nextFor(move, die, settled);
    if (canRest(to, settled))
        return to;
    return focusKept(settled, focused);
}

Control focusKept(const TableState &settled, Control focused)
{
    if (canRest(focused, settled))
        return Control::None;
    // Out of play, as at a victory: the turn button in play, else the save-result button, else for
    // the loser a die that may still be clicked.
    for (Control c : {Control::Command2, Control::Command3, Control::Command4, Control::Command5})
        if (canRest(c, settled))
            return c;
    return firstTakeableFrom(0, settled);
}

}  // namespace zarviki
