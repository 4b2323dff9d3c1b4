// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What changed the table: one of the user's actions, or another window's write; and the one place
// where a move runs its handler.

#include "table/Handlers.h"

namespace zarviki {

enum class Move {
    Take,                    // a die is taken (Command1)
    Throw,                   // the player's throw (Command2)
    Stand,                   // the player stands (Command3)
    ComputerThrow,           // one of the computer's throws (Command4)
    OpenWinnerWindow,        // "Сохронить результат" (Command5) hides itself and opens the winner window
    WriteFromAnotherWindow,  // the registration window's OK or the colloquial captions
};

// Runs the handler of `move` on the table: `die` is the die taken, for a take; the draws are used by
// the throws and `level` by the computer's. Another window's write is that window's own, so here it
// changes nothing.
void apply(TableState &s, Move move, int die, Draws &draws, const LevelOptions &level);

}  // namespace zarviki
