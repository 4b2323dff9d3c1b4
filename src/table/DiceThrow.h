// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The part of a throw that the player's and the computer's share.

#include "table/Draws.h"
#include "table/TableState.h"

namespace zarviki {

// A face for every die, then a takeable flag for every die; set-aside dice show "X" and are
// never takeable.
void throwFacesAndFlags(TableState &s, Draws &draws);

}  // namespace zarviki
