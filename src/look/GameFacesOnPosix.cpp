// SPDX-License-Identifier: GPL-3.0-or-later
#include "look/Look.h"

namespace zarviki {

// The system's fonts have Liberation Sans (Debian's fonts-liberation2, a dependency of the game).
void installGameFaces() {}

}  // namespace zarviki
