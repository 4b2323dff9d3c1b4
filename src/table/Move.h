// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What changed the table: one of the user's actions, or another window's write.

namespace zarviki {

enum class Move {
    Take,                    // a die is taken (Command1)
    Throw,                   // the player's throw (Command2)
    Stand,                   // the player stands (Command3)
    ComputerThrow,           // one of the computer's throws (Command4)
    OpenWinnerWindow,        // "Сохронить результат" (Command5) hides itself and opens the winner window
    WriteFromAnotherWindow,  // the registration window's OK or the colloquial captions
};

}  // namespace zarviki
