// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The table window "Зарвики". It holds the game state, renders it into its controls, and forwards
// clicks, the keys 1 to 5 and the ticks of Timer1 to the handlers. What is spoken after an action
// and where the focus goes are decided in rules/Speech.h and rules/Focus.h.

#include <QMainWindow>
#include <array>
#include <functional>

#include "rules/Focus.h"
#include "rules/Move.h"

class QAction;
class QFrame;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QMenu;
class QPushButton;
class QTimer;
class QWidget;

namespace zarviki {

class Form1 : public QMainWindow {
    Q_OBJECT
public:
    Form1(Chance &chance, Clock &clock, QWidget *parent = nullptr);

    const TableState &state() const { return m_state; }
    // Runs a write of another window (the registration window's OK, the colloquial captions) on
    // the table state, and shows it.
    void change(const std::function<void(TableState &)> &write);

    // Reads the registration window's level options; asked at every computer throw.
    std::function<LevelOptions()> readLevel = [] { return LevelOptions{}; };

    std::array<QPushButton *, DiceCount> Command1{};
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command5 = nullptr;
    QGroupBox *Frame1 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QGroupBox *Frame3 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *Label8 = nullptr;
    QLabel *Label9 = nullptr;
    QLabel *Label10 = nullptr;
    QFrame *Line1 = nullptr;
    QTimer *Timer1 = nullptr;

    QMenu *mnuFile = nullptr;
    QAction *mnuHerpes = nullptr;
    QAction *mnu1 = nullptr;
    QAction *mnuExit = nullptr;
    QMenu *mnuHelp = nullptr;
    QAction *mnuK = nullptr;
    QAction *mnu2 = nullptr;
    QAction *mnuO = nullptr;

    // The speech outlet: a screen reader's notification that shows anew with what the last action
    // did, and says nothing to the eye.
    QWidget *announcer = nullptr;

signals:
    // The save-result button was clicked: the winner window is to be shown.
    void command5Clicked();

protected:
    // The keys 1 to 5 take die 1 to 5 when it may be taken.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void build();
    void buildMenus();
    void connectClicks();
    // Runs `move` and shows what it leads to.
    void run(Move move, int die = -1);
    // Every change of the table wakes the referee for the very next millisecond.
    void wakeReferee();
    void tick();
    // `settled` is the table as the referee will leave it.
    void present(Control focusTo, const QString &news, const TableState &settled);
    void render(QWidget *focusTo, const QString &news, const TableState &settled);
    void renderDie(int index, const TableState &settled);
    QWidget *widgetOf(Control c) const;
    Control focusedControl() const;

    TableState m_state;
    Draws m_draws;
    // Where the focus goes, and what is said, once the referee's tick brings that control into play.
    Control m_pendingFocus = Control::None;
    QString m_pendingNews;
};

}  // namespace zarviki
