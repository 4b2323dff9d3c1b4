// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The user's moves on the table, each the click of a control and named as its handler is; and the
// one place where a move runs its handler. What other windows write on the table is no move: the
// table window runs their writes itself.

#include "rules/Handlers.h"

namespace zarviki {

enum class Move {
    Command1Click,  // a die is taken
    Command2Click,  // the player's throw
    Command3Click,  // the player stands
    Command4Click,  // one of the computer's throws
    Command5Click,  // "Сохронить результат" hides itself (the shell opens the winner window)
};

// Runs the handler of `move` on the table: `die` is the die taken, for a take; the draws are used by
// the throws and `level` by the computer's.
void apply(TableState &s, Move move, int die, Draws &draws, const LevelOptions &level);

}  // namespace zarviki
