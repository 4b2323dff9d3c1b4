// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The controls every window builds the same way: a plain label, the OK button, the red of the
// headings and totals.

#include <QColor>
#include <QRect>
#include <QString>

class QFont;
class QLabel;
class QPushButton;
class QWidget;

namespace zarviki {

inline const QColor Red(255, 0, 0);

// A label of plain text at the given place, aligned to the top and to the given side. It is text
// only: no links, no selection, no focus.
QLabel *plainLabel(QWidget *parent, const char *name, const QRect &geometry, const QString &text,
                   Qt::Alignment align = Qt::AlignLeft);
// The same with a font of its own, set before it is sized to its text.
QLabel *plainLabel(QWidget *parent, const char *name, const QRect &geometry, const QString &text, const QFont &font,
                   Qt::Alignment align = Qt::AlignLeft);

// Width of the label's text, trailing spaces included (a size hint leaves them out).
int textWidth(const QLabel *label);

// A label sized to its text: it keeps its left and top and at least its size, and grows to fit the
// whole text, trailing spaces included.
void sizeToText(QLabel *label);

// Text colour of a control.
void setTextColour(QWidget *w, const QColor &colour);

// The window's OK button "Command1": neither the default nor an auto-default button, so Enter and
// Escape in the window's other controls do not press it. It reads "ОК" in Cyrillic letters unless
// told otherwise.
QPushButton *okButton(QWidget *window, const QRect &geometry, const QString &caption = QStringLiteral("ОК"));

}  // namespace zarviki
