// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a screen reader is told after an action, decided from the table before and after it.

#include <string>

#include "rules/Move.h"
#include "rules/TableState.h"

namespace zarviki {

// The news of `move`, in UTF-8: what the handler did, what the referee will make of it (a round
// won, a victory) and whose move it is now. `handled` is the table right after the handler, before
// the referee's tick has marked the dice it set aside, and `settled` the same table as the referee
// will leave it (settledByReferee); `die` is the die taken, for a take. Empty when there is nothing
// to tell.
std::string spokenAfter(Move move, int die, const TableState &before, const TableState &handled,
                        const TableState &settled);

// How a screen reader names a die: which die it is and what it shows ("Кубик 1: 4").
std::string dieSpokenName(int index, const DieButton &die);

}  // namespace zarviki
