// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The shell: the program's six windows and the menu commands between them. Each window exists at
// most once and is created at its first reference, which runs its load step; windows are only shown
// and hidden, never modally. A window that the user closes with its close box is destroyed, and the
// next reference creates it afresh.

#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

#include "rules/Draws.h"

namespace zarviki {

class Form1;
class Form2;
class Form3;
class Form4;
class Form5;
class Form6;

class Shell : public QObject {
    Q_OBJECT
public:
    Shell(Chance &chance, Clock &clock, QObject *parent = nullptr);
    ~Shell() override;

    // Start-up: creates the table window, hidden, whose load step shows the registration window.
    void start();

    Form1 *form1();  // table window
    Form2 *form2();  // registration window
    Form3 *form3();  // last-hero window
    Form4 *form4();  // winner window
    Form5 *form5();  // how-to-play window
    Form6 *form6();  // about window

    // Ends the program at once: nothing is saved or asked.
    std::function<void()> endProgram;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void loadForm1();
    void copyPlayerName();
    void registrationOk();
    static void keepFixedSize(QWidget *window);
    template <class F> void adopt(F *window);

    Chance &m_chance;
    Clock &m_clock;
    QPointer<Form1> m_form1;
    QPointer<Form2> m_form2;
    QPointer<Form3> m_form3;
    QPointer<Form4> m_form4;
    QPointer<Form5> m_form5;
    QPointer<Form6> m_form6;
};

}  // namespace zarviki
