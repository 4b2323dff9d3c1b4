// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the table window reads to a screen reader: the dice by number, face and whether they may be
// taken, and a notification that tells what each action did. Each is made to send the screen
// reader as few events as it can, since a busy reader falls behind on every one it is sent.

#include <QAccessible>

class QPushButton;
class QString;
class QWidget;

namespace zarviki {

// Before the table's controls are made. A die without the focus tells the screen reader of a new
// name, description or enabled flag only when the focus reaches it, and only where it differs from
// what the reader last heard of the die.
void installTableAccessible();

// Die `index` is read as "Кубик 1: 4" with what its description says.
void makeDie(QPushButton *button, int index);

// Sets what a die's description says and reports the change, which reaches the screen reader as a
// new name does: at once while the die has the focus, else when it takes it, if still new then. A
// reader reads the description of the focused control alone.
void describeDie(QPushButton *button, const QString &description);

// The speech outlet: a notification in the corner of `parent` that draws nothing.
QWidget *makeAnnouncer(QWidget *parent);

// Has the screen reader speak `text` once, even when it is what was said last.
void announce(QWidget *announcer, const QString &text);

}  // namespace zarviki
