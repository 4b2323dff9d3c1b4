// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/WindowPlacement.h"

namespace zarviki {

// A desktop's window system places a new window where it places new windows by default.
void placeNewWindow(QWidget *) {}

}  // namespace zarviki
