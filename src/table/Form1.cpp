// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/Form1.h"

#include <algorithm>
#include <utility>

#include <QAction>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

#include "look/Controls.h"
#include "look/Look.h"
#include "look/Release.h"
#include "rules/Speech.h"
#include "table/TableAccessible.h"

namespace zarviki {

namespace {

QPushButton *button(QWidget *parent, const QString &name, const QRect &geometry, const QString &text)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setGeometry(geometry);
    b->setAutoDefault(false);
    return b;
}

QGroupBox *frame(QWidget *parent, const char *name, const QRect &geometry, const QString &title)
{
    auto *f = new QGroupBox(title, parent);
    f->setObjectName(QString::fromLatin1(name));
    f->setGeometry(geometry);
    return f;
}

QString q(const std::string &s) { return QString::fromStdString(s); }

const int DieLeft[DiceCount] = {120, 960, 1800, 2640, 3480};

// A label's accessible name is told to the screen reader whenever it is set, changed or not.
void setAccessibleNameOf(QWidget *w, const QString &name)
{
    if (w->accessibleName() != name)
        w->setAccessibleName(name);
}

}  // namespace

Form1::Form1(Chance &chance, Clock &clock, QWidget *parent) : QMainWindow(parent), m_draws(chance, clock)
{
    setObjectName(QStringLiteral("Form1"));
    build();
    render(nullptr, {}, settledByReferee(m_state));
    // The game opens on the player's throw.
    Command2->setFocus(Qt::OtherFocusReason);
    Timer1->start();
}

void Form1::build()
{
    // Before any control is made: the dice and the speech outlet are read out in their own way.
    installTableAccessible();
    setWindowTitle(QStringLiteral("Зарвики"));
    setWindowFlags(fixedWindowFlags());  // its client area, below the menu bar, is fixed below
    buildMenus();

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(px(7770), px(3630));
    setCentralWidget(client);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    const QFont bold = gameFont(8.25, 700);
    const QFont counters = gameFont(24);

    for (int i = 0; i < DiceCount; ++i) {
        Command1[i] = button(client, QStringLiteral("Command1_%1").arg(i), twips(DieLeft[i], OnTable, 615, 615), {});
        Command1[i]->setFont(bold);
        makeDie(Command1[i], i);
    }
    Command2 = button(client, QStringLiteral("Command2"), twips(240, 2880, 1095, 375), {});
    Frame1 = frame(client, "Frame1", twips(4440, 120, 3135, 855), {});
    Command3 = button(client, QStringLiteral("Command3"), twips(1320, 2880, 1095, 375), {});
    Label1 = plainLabel(Frame1, "Label1", twips(600, 360, 1815, 255), {}, bold, Qt::AlignHCenter);
    setTextColour(Label1, Red);
    Frame2 = frame(client, "Frame2", twips(4440, 960, 3135, 1215), QStringLiteral("Счет"));
    Label2 = plainLabel(Frame2, "Label2", twips(240, 240, 1095, 255), {}, gameFont(), Qt::AlignHCenter);
    Label3 = plainLabel(Frame2, "Label3", twips(1800, 240, 975, 255), {}, gameFont());
    Label4 = plainLabel(Frame2, "Label4", twips(240, 600, 1095, 255), {}, bold, Qt::AlignHCenter);
    setTextColour(Label4, Red);
    Label5 = plainLabel(Frame2, "Label5", twips(1680, 600, 1215, 255), {}, bold, Qt::AlignHCenter);
    setTextColour(Label5, Red);
    Frame3 = frame(client, "Frame3", twips(4440, 2280, 3135, 1095), QStringLiteral("Общий счет"));
    Command4 = button(client, QStringLiteral("Command4"), twips(2400, 2880, 1095, 375), {});
    Label6 = plainLabel(Frame3, "Label6", twips(1320, 360, 375, 615), QStringLiteral(":"), counters, Qt::AlignHCenter);
    Label7 = plainLabel(Frame3, "Label7", twips(960, 360, 495, 615), {}, counters);
    Label8 = plainLabel(Frame3, "Label8", twips(1800, 360, 495, 495), {}, counters);
    Label9 = plainLabel(client, "Label9", twips(3120, 600, 855, 255), QStringLiteral("Version " ZARVIKI_VERSION),
                         gameFont());
    Label10 = plainLabel(client, "Label10", twips(600, 120, 3015, 495), {}, gameFont(13.5), Qt::AlignHCenter);
    setTextColour(Label10, QColor(0, 0, 0));
    Command5 = button(client, QStringLiteral("Command5"), twips(600, 720, 1815, 255),
                      QStringLiteral("Сохронить результат"));

    Line1 = new QFrame(Frame2);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::VLine);
    Line1->setFrameShadow(QFrame::Plain);
    Line1->setGeometry(px(1560), px(240), 1, px(1080) - px(240) + 1);

    // Labels sit on top of the frames' borders only where they are children of the frames;
    // the frames are stacked under the window's other controls. The window's own labels lie
    // beneath its buttons, so a set-aside die in the top row shows over the status line.
    Label9->lower();
    Label10->lower();
    Frame1->lower();
    Frame2->lower();
    Frame3->lower();

    QWidget *order[] = {Command1[0], Command1[1], Command1[2], Command1[3], Command1[4],
                        Command2,    Command3,    Command4,    Command5};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connectClicks();
    // It has no text of its own to show and sits in the client area's corner, under everything else.
    announcer = makeAnnouncer(client);

    // The referee ticks every millisecond. It changes nothing twice on the same state, so it rests
    // once a tick has found nothing to do, and every handler wakes it for the very next millisecond.
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1);
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, &Form1::tick);
}

void Form1::buildMenus()
{
    mnuFile = menuBar()->addMenu(QStringLiteral("Файл"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuHerpes = mnuFile->addAction(QStringLiteral("Последний герой"));
    mnuHerpes->setObjectName(QStringLiteral("mnuHerpes"));
    mnu1 = mnuFile->addSeparator();
    mnu1->setObjectName(QStringLiteral("mnu1"));
    mnuExit = mnuFile->addAction(QStringLiteral("Выход"));
    mnuExit->setObjectName(QStringLiteral("mnuExit"));
    mnuHelp = menuBar()->addMenu(QStringLiteral("Помощ"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuK = mnuHelp->addAction(QStringLiteral("Как играть ?"));
    mnuK->setObjectName(QStringLiteral("mnuK"));
    mnu2 = mnuHelp->addSeparator();
    mnu2->setObjectName(QStringLiteral("mnu2"));
    mnuO = mnuHelp->addAction(QStringLiteral("О программе"));
    mnuO->setObjectName(QStringLiteral("mnuO"));
}

void Form1::connectClicks()
{
    for (int i = 0; i < DiceCount; ++i)
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { run(Move::Command1Click, i); });
    connect(Command2, &QPushButton::clicked, this, [this] { run(Move::Command2Click); });
    connect(Command3, &QPushButton::clicked, this, [this] { run(Move::Command3Click); });
    connect(Command4, &QPushButton::clicked, this, [this] { run(Move::Command4Click); });
    connect(Command5, &QPushButton::clicked, this, [this] {
        emit command5Clicked();
        run(Move::Command5Click);
    });
}

// The referee is asked once what it will make of the move; the focus, the news and the dice's
// descriptions are all taken from that one settled table.
void Form1::run(Move move, int die)
{
    const TableState before = m_state;
    // The registration window is asked for the level only when the computer throws.
    apply(m_state, move, die, m_draws, move == Move::Command4Click ? readLevel() : LevelOptions{});
    const TableState settled = settledByReferee(m_state);
    const Control to = focusAfter(move, die, settled, focusedControl());
    present(to, QString::fromStdString(spokenAfter(move, die, before, m_state, settled)), settled);
    wakeReferee();
}

void Form1::change(const std::function<void(TableState &)> &write)
{
    write(m_state);
    const TableState settled = settledByReferee(m_state);
    present(focusKept(settled, focusedControl()), {}, settled);
    wakeReferee();
}

void Form1::wakeReferee()
{
    if (!Timer1->isActive())
        Timer1->start();
}

void Form1::tick()
{
    const TableState before = m_state;
    timer1Tick(m_state);
    if (m_state == before) {
        Timer1->stop();
        return;
    }
    const TableState settled = settledByReferee(m_state);
    Control to = std::exchange(m_pendingFocus, Control::None);
    if (to == Control::None)
        to = focusKept(settled, focusedControl());
    present(to, std::exchange(m_pendingNews, QString()), settled);
}

// The news is told right after the focus speech. Where the focus goes to a control the referee has
// yet to bring into play (the save-result button), both wait for its tick, so that the focus speech
// does not cut the news short.
void Form1::present(Control focusTo, const QString &news, const TableState &settled)
{
    if (focusTo != Control::None && !canRest(focusTo, m_state)) {
        m_pendingFocus = focusTo;
        m_pendingNews = news;
        render(nullptr, {}, settled);
        return;
    }
    render(widgetOf(focusTo), news, settled);
}

void Form1::keyPressEvent(QKeyEvent *event)
{
    const int die = event->key() - Qt::Key_1;
    if (die >= 0 && die < DiceCount && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        if (dieTakeable(m_state, die) && Command1[die]->isEnabled())
            Command1[die]->click();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

QWidget *Form1::widgetOf(Control c) const
{
    switch (c) {
    case Control::None:
        return nullptr;
    case Control::Command2:
        return Command2;
    case Control::Command3:
        return Command3;
    case Control::Command4:
        return Command4;
    case Control::Command5:
        return Command5;
    default:
        return Command1[dieIndex(c)];
    }
}

Control Form1::focusedControl() const
{
    for (Control c : {Control::Command1_0, Control::Command1_1, Control::Command1_2, Control::Command1_3,
                      Control::Command1_4, Control::Command2, Control::Command3, Control::Command4, Control::Command5})
        if (widgetOf(c) == focusWidget())
            return c;
    return Control::None;
}

// A die is described as the referee will leave it a millisecond later, so that its tick has
// nothing more to tell.
void Form1::renderDie(int index, const TableState &settled)
{
    QPushButton *b = Command1[index];
    b->move(px(DieLeft[index]), px(m_state.Command1[index].Top));
    b->setText(q(m_state.Command1[index].Caption));
    describeDie(b, !settled.Label10.Caption.empty()      ? QStringLiteral("игра окончена")
                   : settled.Command1[index].Enabled ? QStringLiteral("можно взять")
                                                     : QStringLiteral("нельзя взять"));
}

void Form1::render(QWidget *focusTo, const QString &news, const TableState &settled)
{
    const TableState &s = m_state;
    // A die about to take the focus shows its face first: the screen reader hears the new face
    // with the focus, ahead of the news of the other controls.
    const auto *focusDie = std::find(Command1.begin(), Command1.end(), focusTo);
    if (focusDie != Command1.end())
        renderDie(int(focusDie - Command1.begin()), settled);
    Command2->setText(q(s.Command2.Caption));
    Command3->setText(q(s.Command3.Caption));
    Command4->setText(q(s.Command4.Caption));

    // Controls come into play first, then the focus moves, then controls leave play: the focus is
    // never left on a control going out of play, where Qt would pass it on by itself and the
    // screen reader would read every control it passes.
    const std::pair<QWidget *, bool> inPlay[] = {
        {Command1[0], s.Command1[0].Enabled}, {Command1[1], s.Command1[1].Enabled},
        {Command1[2], s.Command1[2].Enabled}, {Command1[3], s.Command1[3].Enabled},
        {Command1[4], s.Command1[4].Enabled}, {Command2, s.Command2.Enabled},
        {Command3, s.Command3.Enabled},       {Command4, s.Command4.Enabled},
        {Command5, s.Command5.Visible}};
    for (const auto &[w, on] : inPlay)
        if (on)
            w == Command5 ? w->setVisible(true) : w->setEnabled(true);
    if (focusTo && focusTo != focusWidget())
        focusTo->setFocus(Qt::OtherFocusReason);
    // What the action did is told right after the focus speech, ahead of the news of the rest.
    announce(announcer, news);

    for (int i = 0; i < DiceCount; ++i)
        renderDie(i, settled);
    Frame1->setTitle(q(s.Frame1.Caption));
    Label1->setText(q(s.Label1.Caption));
    Label2->setText(q(s.Label2.Caption));
    Label3->setText(q(s.Label3.Caption));
    Label4->setText(q(s.Label4.Caption));
    Label5->setText(q(s.Label5.Caption));
    Label7->setText(q(s.Label7.Caption));
    Label8->setText(q(s.Label8.Caption));
    Label10->setText(q(s.Label10.Caption));
    // Until someone wins, the victory line is empty; a screen reader still finds it by name.
    setAccessibleNameOf(Label10, s.Label10.Caption.empty() ? QStringLiteral("Победителя пока нет") : QString());

    for (const auto &[w, on] : inPlay) {
        if (on)
            continue;
        // The focus waits on nothing for the control that the referee brings into play next.
        if (w == focusWidget())
            w->clearFocus();
        w == Command5 ? w->setVisible(false) : w->setEnabled(false);
    }
}

}  // namespace zarviki
