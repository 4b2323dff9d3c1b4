// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The table window's handlers: each is one click or tick, a straight run of property reads and
// writes on the table state, in the order the game has always made them. Each is named as the
// control and the event it handles, and each click is the move of the same name (rules/Move.h).

#include "rules/Draws.h"
#include "rules/LevelOptions.h"
#include "rules/TableState.h"

namespace zarviki {

// Click of the Command1 array: the player takes die `index` (0..4).
void command1Click(TableState &s, int index);

// Click of Command2: the player's throw.
void command2Click(TableState &s, Draws &draws);

// Click of Command3: the player stands.
void command3Click(TableState &s);

// Click of Command4: one computer throw at the level the registration window shows.
void command4Click(TableState &s, Draws &draws, const LevelOptions &level);

// Tick of Timer1: the referee.
void timer1Tick(TableState &s);

// The table as the referee leaves it once it rests: its ticks until one changes nothing. What an
// action leads to, a round or a victory included, is known from this as soon as the handler ran.
TableState settledByReferee(TableState s);

// Click of Command5: the save-result button hides itself (the winner window is shown by the shell).
void command5Click(TableState &s);

}  // namespace zarviki
