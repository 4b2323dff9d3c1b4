// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace zarviki {

// Gives a window that has never been shown the place where new windows go: the window system's
// own on the desktops (WindowPlacement.cpp), the game's own on the page (WindowPlacementOnWeb.cpp).
void placeNewWindow(QWidget *window);

}  // namespace zarviki
