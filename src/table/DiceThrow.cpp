// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/DiceThrow.h"

namespace zarviki {

namespace {
std::string faceOf(float draw) { return decimalText(static_cast<int>(draw * 6)); }
bool takeable(float draw) { return static_cast<int>(draw * 2) != 0; }
}  // namespace

void throwFacesAndFlags(TableState &s, Draws &draws)
{
    for (DieButton &die : s.Command1) {
        const std::string face = faceOf(draws.next());
        die.Caption = die.Top == SetAside ? "X" : face;
    }
    for (DieButton &die : s.Command1) {
        die.Enabled = takeable(draws.next());
        if (die.Top == SetAside)
            die.Enabled = false;
    }
}

}  // namespace zarviki
