// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/WindowPlacement.h"

#include <QScreen>
#include <QWidget>

namespace zarviki {

// A page has no window system: every window would stand in the page's top-left corner. The game
// places them as Windows does by default, each new window a title bar's height lower and to the
// right of the one before, starting over after a few.
void placeNewWindow(QWidget *window)
{
    constexpr int Step = 24, Steps = 6;
    static int placed = 0;
    const int offset = Step * (1 + placed++ % Steps);
    window->move(window->screen()->availableGeometry().topLeft() + QPoint(offset, offset));
}

}  // namespace zarviki
