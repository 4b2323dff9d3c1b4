// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared by the window suites: the game's windows as a run of the program makes them, what a
// control shows, and the windows the close box has destroyed.

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QString>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <memory>

#include "TestSupport.h"
#include "app/Shell.h"

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

// How many top-level windows of that name exist, shown or not.
inline int countTopLevel(const QString &name)
{
    const QWidgetList all = QApplication::topLevelWidgets();
    return int(std::count_if(all.begin(), all.end(), [&](QWidget *w) { return w->objectName() == name; }));
}

// The game's six windows as one run of the program makes them, with scripted draws and a fixed
// clock. A window suite derives from it beside QObject, starts a run in init() (or once, in
// initTestCase()) and ends it in cleanup().
class GameRun {
protected:
    ScriptedChance chance;
    FixedClock clock;
    std::unique_ptr<Shell> shell;

    // Start-up as the program's: the table window made hidden, the registration window shown.
    // `endProgram`, where given, stands in for the end of the program.
    void startRun(std::function<void()> endProgram = {})
    {
        shell = std::make_unique<Shell>(chance, clock);
        if (endProgram)
            shell->endProgram = std::move(endProgram);
        shell->start();
    }

    // Closes what menus are open, ends the run and deletes the windows the close box destroyed.
    void endRun()
    {
        for (QWidget *popup = QApplication::activePopupWidget(); popup; popup = QApplication::activePopupWidget())
            popup->close();
        shell.reset();
        processDeferredDeletes();
    }
};

}  // namespace zarviki::testing
