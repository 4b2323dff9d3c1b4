// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/Move.h"

namespace zarviki {

void apply(TableState &s, Move move, int die, Draws &draws, const LevelOptions &level)
{
    switch (move) {
    case Move::Command1Click:
        command1Click(s, die);
        break;
    case Move::Command2Click:
        command2Click(s, draws);
        break;
    case Move::Command3Click:
        command3Click(s);
        break;
    case Move::Command4Click:
        command4Click(s, draws, level);
        break;
    case Move::Command5Click:
        command5Click(s);
        break;
    }
}

}  // namespace zarviki
