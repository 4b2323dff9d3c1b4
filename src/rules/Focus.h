// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the focus goes after an action: a control of the table, decided from the table alone.

#include "rules/Move.h"
#include "rules/TableState.h"

namespace zarviki {

// The table window's controls that can hold the focus, named as the controls are.
enum class Control {
    None,
    Command1_0,
    Command1_1,
    Command1_2,
    Command1_3,
    Command1_4,
    Command2,
    Command3,
    Command4,
    Command5,
};

Control dieControl(int index);
// The die's index, or -1 for a control that is not a die.
int dieIndex(Control c);

// Whether the focus may rest on `c`: a turn button that is enabled, the save-result button while
// it shows, a die that may be taken.
bool canRest(Control c, const TableState &s);

// Where the focus goes once `move` has run, on the table as the referee will leave it (`settled`):
// on to what the player most likely presses next, and never onto a control out of play. None: the
// move has no say and `focused` is still in play, so the focus stays there.
Control focusAfter(Move move, int die, const TableState &settled, Control focused);

// Where the focus goes when the table changed by no move (a tick of the referee, another window's
// write): None while `focused` is still in play, else the turn button in play, else the
// save-result button, else a die that may still be clicked.
Control focusKept(const TableState &settled, Control focused);

}  // namespace zarviki
