// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/Move.h"

namespace zarviki {

void apply(TableState &s, Move move, int die, Draws &draws, const LevelOptions &level)
{
    switch (move) {
    case Move::Take:
        command1Click(s, die);
        break;
    case Move::Throw:
        command2Click(s, draws);
        break;
    case Move::Stand:
        command3Click(s);
        break;
    case Move::ComputerThrow:
        command4Click(s, draws, level);
        break;
    case Move::OpenWinnerWindow:
        command5Click(s);
        break;
    case Move::WriteFromAnotherWindow:
        break;
    }
}

}  // namespace zarviki
