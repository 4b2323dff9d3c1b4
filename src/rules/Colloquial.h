// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "rules/TableState.h"

namespace zarviki {

// The colloquial captions of the table window, written in this order. Nothing writes the plain
// captions back: once colloquial, the table stays so for the rest of the run.
void applyColloquialCaptions(TableState &s);

}  // namespace zarviki
