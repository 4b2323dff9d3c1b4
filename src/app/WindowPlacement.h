// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace zarviki {

// Gives a window that has never been shown the place where new windows go.
void placeNewWindow(QWidget *window);

}  // namespace zarviki
