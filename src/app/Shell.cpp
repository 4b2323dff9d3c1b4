// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Shell.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLineEdit>

#include "app/WindowPlacement.h"
#include "halloffame/Form3.h"
#include "halloffame/Form4.h"
#include "info/Form5.h"
#include "info/Form6.h"
#include "look/Look.h"
#include "rules/Colloquial.h"
#include "registration/Form2.h"
#include "table/Form1.h"

namespace zarviki {

Shell::Shell(Chance &chance, Clock &clock, QObject *parent)
    : QObject(parent), endProgram([] { QCoreApplication::exit(0); }), m_chance(chance), m_clock(clock)
{
    // The program ends by "Выход" or by closing the table or registration window, never because
    // a secondary window was the last one open.
    QGuiApplication::setQuitOnLastWindowClosed(false);
}

Shell::~Shell()
{
    delete m_form3;
    delete m_form5;
    delete m_form1;  // takes the winner and about windows with it
    delete m_form2;
}

void Shell::start()
{
    form1();
}

// Every window wears the game's own look from its creation, whatever the desktop's theme.
template <class F> void Shell::adopt(F *window)
{
    keepGameLook(window);
    window->installEventFilter(this);
}

Form1 *Shell::form1()
{
    if (!m_form1) {
        m_form1 = new Form1(m_chance, m_clock);
        adopt(m_form1.data());
        m_form1->readLevel = [this] { return form2()->level(); };
        connect(m_form1->mnuHerpes, &QAction::triggered, this, [this] { form3()->show(); });
        connect(m_form1->mnuExit, &QAction::triggered, this, [this] { endProgram(); });
        connect(m_form1->mnuK, &QAction::triggered, this, [this] { form5()->show(); });
        connect(m_form1->mnuO, &QAction::triggered, this, [this] { form6()->show(); });
        connect(m_form1, &Form1::command5Clicked, this, [this] { form4()->show(); });
        loadForm1();
    }
    return m_form1;
}

void Shell::loadForm1()
{
    copyPlayerName();
    form2()->show();
}

// The table's player-name label shows the registration window's name box.
void Shell::copyPlayerName()
{
    const std::string name = form2()->Text1->text().toStdString();
    form1()->change([&](TableState &s) { s.Label2.Caption = name; });
}

Form2 *Shell::form2()
{
    if (!m_form2) {
        m_form2 = new Form2;
        adopt(m_form2.data());
        connect(m_form2, &Form2::command1Clicked, this, &Shell::registrationOk);
        connect(m_form2, &Form2::colloquialChosen, this, [this] { form1()->change(applyColloquialCaptions); });
    }
    return m_form2;
}

void Shell::registrationOk()
{
    copyPlayerName();
    form1()->show();
    form2()->hide();
}

Form3 *Shell::form3()
{
    if (!m_form3) {
        m_form3 = new Form3;
        adopt(m_form3.data());
    }
    return m_form3;
}

Form4 *Shell::form4()
{
    if (!m_form4) {
        m_form4 = new Form4([this] { return form2()->Text1->text(); }, form1());
        adopt(m_form4.data());
    }
    return m_form4;
}

Form5 *Shell::form5()
{
    if (!m_form5) {
        m_form5 = new Form5;
        adopt(m_form5.data());
    }
    return m_form5;
}

Form6 *Shell::form6()
{
    if (!m_form6) {
        m_form6 = new Form6(form1());
        adopt(m_form6.data());
    }
    return m_form6;
}

// Every window has one size. A title bar that the window system leaves to Qt (Wayland without
// server-side decorations) offers to maximise it all the same, and a browser page shows every new
// window over the whole page; the window stays as it is.
void Shell::keepFixedSize(QWidget *window)
{
    const Qt::WindowStates resized = Qt::WindowMaximized | Qt::WindowFullScreen;
    if (window->windowState() & resized)
        window->setWindowState(window->windowState() & ~resized);
}

bool Shell::eventFilter(QObject *watched, QEvent *event)
{
    // A window is placed when it is first shown, on the screen it is shown on.
    if (event->type() == QEvent::Show && !static_cast<QWidget *>(watched)->testAttribute(Qt::WA_Moved)) {
        placeNewWindow(static_cast<QWidget *>(watched));
        return false;
    }
    if (event->type() == QEvent::WindowStateChange) {
        keepFixedSize(static_cast<QWidget *>(watched));
        return false;
    }
    if (event->type() != QEvent::Close)
        return QObject::eventFilter(watched, event);
    if (watched == m_form1 || watched == m_form2) {
        // Closing the table window ends the program; so does closing the registration window,
        // which would otherwise leave the program running with no window at all.
        endProgram();
        return false;
    }
    // A secondary window closed with its close box is destroyed with its contents.
    const auto forget = [watched](auto &window) {
        if (window.data() == watched) {
            window.clear();
            watched->deleteLater();
        }
    };
    forget(m_form3);
    forget(m_form4);
    forget(m_form5);
    forget(m_form6);
    return false;
}

}  // namespace zarviki
