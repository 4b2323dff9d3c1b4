// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared by the window suites: what a control shows, and the windows the close box has destroyed.

#include <QAbstractButton>
#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QString>
#include <QWidget>

namespace zarviki::testing {

// The text a control shows: a button's caption, a label's text, a frame's title, a box's content.
inline QString textOf(QWidget *w)
{
    if (auto *b = qobject_cast<QAbstractButton *>(w))
        return b->text();
    if (auto *l = qobject_cast<QLabel *>(w))
        return l->text();
    if (auto *g = qobject_cast<QGroupBox *>(w))
        return g->title();
    if (auto *e = qobject_cast<QLineEdit *>(w))
        return e->text();
    if (auto *e = qobject_cast<QPlainTextEdit *>(w))
        return e->toPlainText();
    return {};
}

// A window closed with its close box is deleted later; this makes it happen now.
inline void processDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace zarviki::testing
