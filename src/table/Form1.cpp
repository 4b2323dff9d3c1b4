#include "table/Form1.h"

#include <QAction>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

#include "app/Look.h"

namespace zarviki {

namespace {

const QColor Red(255, 0, 0);

QLabel *label(QWidget *parent, const char *name, const QRect &geometry, const QString &text, Qt::Alignment align,
              const QFont &font)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(geometry);
    l->setAlignment(align | Qt::AlignTop);
    l->setFont(font);
    l->setTextFormat(Qt::PlainText);
    return l;
}

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

}  // namespace

QString dieAccessibleName(int index, const DieButton &die)
{
    const QString which = QStringLiteral("Кубик %1").arg(index + 1);
    if (die.Caption == "X")
        return which + QStringLiteral(": X, отложен");
    if (die.Caption.empty() || die.Caption == " ")
        return which + QStringLiteral(": пусто");
    return which + QStringLiteral(": ") + q(die.Caption);
}

Form1::Form1(Chance &chance, Clock &clock, QWidget *parent) : QMainWindow(parent), m_draws(chance, clock)
{
    setObjectName(QStringLiteral("Form1"));
    build();
    render();
    Timer1->start();
}

void Form1::build()
{
    setWindowTitle(QStringLiteral("Зарвики"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

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
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { run([i](TableState &s) { command1Click(s, i); }); });
    }
    Command2 = button(client, QStringLiteral("Command2"), twips(240, 2880, 1095, 375), {});
    Frame1 = frame(client, "Frame1", twips(4440, 120, 3135, 855), {});
    Command3 = button(client, QStringLiteral("Command3"), twips(1320, 2880, 1095, 375), {});
    Label1 = label(Frame1, "Label1", twips(600, 360, 1815, 255), {}, Qt::AlignHCenter, bold);
    setTextColour(Label1, Red);
    Frame2 = frame(client, "Frame2", twips(4440, 960, 3135, 1215), QStringLiteral("Счет"));
    Label2 = label(Frame2, "Label2", twips(240, 240, 1095, 255), {}, Qt::AlignHCenter, gameFont());
    Label3 = label(Frame2, "Label3", twips(1800, 240, 975, 255), {}, Qt::AlignLeft, gameFont());
    Label4 = label(Frame2, "Label4", twips(240, 600, 1095, 255), {}, Qt::AlignHCenter, bold);
    setTextColour(Label4, Red);
    Label5 = label(Frame2, "Label5", twips(1680, 600, 1215, 255), {}, Qt::AlignHCenter, bold);
    setTextColour(Label5, Red);
    Frame3 = frame(client, "Frame3", twips(4440, 2280, 3135, 1095), QStringLiteral("Общий счет"));
    Command4 = button(client, QStringLiteral("Command4"), twips(2400, 2880, 1095, 375), {});
    Label6 = label(Frame3, "Label6", twips(1320, 360, 375, 615), QStringLiteral(":"), Qt::AlignHCenter, counters);
    Label7 = label(Frame3, "Label7", twips(960, 360, 495, 615), {}, Qt::AlignLeft, counters);
    Label8 = label(Frame3, "Label8", twips(1800, 360, 495, 495), {}, Qt::AlignLeft, counters);
    Label9 = label(client, "Label9", twips(3120, 600, 855, 255), QStringLiteral("Version 7.6"), Qt::AlignLeft,
                   gameFont());
    Label10 = label(client, "Label10", twips(600, 120, 3015, 495), {}, Qt::AlignHCenter, gameFont(13.5));
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

    connect(Command2, &QPushButton::clicked, this, [this] { run([this](TableState &s) { command2Click(s, m_draws); }); });
    connect(Command3, &QPushButton::clicked, this, [this] { run(command3Click); });
    connect(Command4, &QPushButton::clicked, this,
            [this] { run([this](TableState &s) { command4Click(s, m_draws, readLevel()); }); });
    connect(Command5, &QPushButton::clicked, this, [this] {
        emit command5Clicked();
        run(command5Click);
    });

    // The referee ticks every millisecond. It changes nothing twice on the same state, so it rests
    // once a tick has found nothing to do, and every handler wakes it for the very next millisecond.
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1);
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, &Form1::tick);
}

void Form1::run(const std::function<void(TableState &)> &handler)
{
    handler(m_state);
    render();
    if (!Timer1->isActive())
        Timer1->start();
}

void Form1::change(const std::function<void(TableState &)> &write)
{
    run(write);
}

void Form1::tick()
{
    const TableState before = m_state;
    timer1Tick(m_state);
    if (m_state == before) {
        Timer1->stop();
        return;
    }
    render();
}

void Form1::render()
{
    const TableState &s = m_state;
    for (int i = 0; i < DiceCount; ++i) {
        const DieButton &die = s.Command1[i];
        QPushButton *b = Command1[i];
        b->move(px(DieLeft[i]), px(die.Top));
        b->setText(q(die.Caption));
        b->setEnabled(die.Enabled);
        b->setAccessibleName(dieAccessibleName(i, die));
        b->setAccessibleDescription(die.Enabled ? QStringLiteral("можно взять") : QStringLiteral("нельзя взять"));
    }
    Command2->setText(q(s.Command2.Caption));
    Command2->setEnabled(s.Command2.Enabled);
    Command3->setText(q(s.Command3.Caption));
    Command3->setEnabled(s.Command3.Enabled);
    Command4->setText(q(s.Command4.Caption));
    Command4->setEnabled(s.Command4.Enabled);
    Command5->setVisible(s.Command5.Visible);
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
    Label10->setAccessibleName(s.Label10.Caption.empty() ? QStringLiteral("Победителя пока нет") : QString());
}

}  // namespace zarviki
