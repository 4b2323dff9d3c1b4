// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the game's windows look: twips to pixels, the game's one font face, its light palette and
// classic style, fixed-size frames. The look is the game's own on every desktop: nothing a platform
// theme sets (an application font or palette, a per-class font, a dark colour scheme) reaches it.

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QRect>
#include <QString>

class QWidget;

namespace zarviki {

inline constexpr int TwipsPerPixel = 15;

constexpr int px(int twips) { return (twips + TwipsPerPixel / 2) / TwipsPerPixel; }
inline QRect twips(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

// The face every font of the game names. It is mapped to a metric-compatible face with Cyrillic.
inline const QString GameFace = QStringLiteral("MS Sans Serif");
inline const QString GameFaceSubstitute = QStringLiteral("Liberation Sans");

// Maps the game's face to its substitute, makes the default font 8.25 pt regular, and gives the
// whole program the classic desktop style, whose frames draw their caption in the top border line.
void installGameLook();

// A font of the game's face. Every attribute counts as set, so nothing a window or the desktop
// sets is mixed into it.
QFont gameFont(double pointSize = 8.25, int weight = 400, bool italic = false, bool underline = false);

// Black text on the light grey face colour the game was drawn on, every colour of every group set.
QPalette gamePalette();

// Gives the window and each of its controls the game's fonts and palette as their own: a control
// without a font of its own gets the window's default font, and one with a text colour of its own
// keeps it on the light palette. Later font and palette changes of the desktop pass them by.
void keepGameLook(QWidget *window);

enum class Taskbar { Entry, NoEntry };

// The frame of every game window: a fixed single border, a close box, no minimise or maximise
// button. Windows without a taskbar entry are tool-like dialogs over the table window.
Qt::WindowFlags fixedWindowFlags(Taskbar taskbar = Taskbar::Entry);

// A window in that frame with the given caption and client size in twips.
void makeFixedWindow(QWidget *window, const QString &caption, int clientWidthTwips, int clientHeightTwips,
                     Taskbar taskbar = Taskbar::Entry);

}  // namespace zarviki
