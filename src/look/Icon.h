// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game's icon: a die showing five, drawn at run time at whatever size the window system asks
// for, so it needs no image plug-in. It matches the scalable icon that the desktop entry names.

#include <QIcon>
#include <QString>

#include "look/Release.h"

class QPainter;
class QRectF;

namespace zarviki {

inline const QString DesktopId = QStringLiteral(ZARVIKI_DESKTOP_ID);

// Paints the die into the square that fits centred in the rectangle.
void paintDie(QPainter &painter, const QRectF &rect);

QIcon gameIcon();

// Gives every window of the program the game's icon.
void installGameIcon();

}  // namespace zarviki
