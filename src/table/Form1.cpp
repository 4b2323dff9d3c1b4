// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/Form1.h"

#include <algorithm>
#include <utility>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

#include "app/Look.h"
#include "app/Release.h"

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

const char *const AnnouncerName = "announcer";
const char *const AnnouncementProperty = "announcement";
const char *const DieIndexProperty = "dieIndex";

// The speech outlet is a notification: a screen reader speaks a notification each time it is
// shown, even where the focus does not move. Its name is what it last had to say.
class AnnouncerAccessible final : public QAccessibleWidget {
public:
    explicit AnnouncerAccessible(QWidget *w) : QAccessibleWidget(w, QAccessible::Notification) {}
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return widget()->property(AnnouncementProperty).toString();
        return QAccessibleWidget::text(t);
    }
};

// A die is read out by its number and what it shows. The name follows the caption, so the one
// name change Qt reports for a new caption is the only one: no second report of the same change.
class DieAccessible final : public QAccessibleWidget {
public:
    DieAccessible(QPushButton *b, int index) : QAccessibleWidget(b, QAccessible::PushButton), m_index(index) {}
    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name)
            return QAccessibleWidget::text(t);
        DieButton die;
        die.Caption = button()->text().toStdString();
        return dieAccessibleName(m_index, die);
    }
    QAccessible::State state() const override
    {
        QAccessible::State st = QAccessibleWidget::state();
        st.pressed = button()->isDown();
        return st;
    }
    QStringList actionNames() const override { return QStringList{pressAction()} + QAccessibleWidget::actionNames(); }
    void doAction(const QString &action) override
    {
        if (action == pressAction())
            button()->click();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    QPushButton *button() const { return static_cast<QPushButton *>(widget()); }
    int m_index;
};

QAccessibleInterface *tableAccessible(const QString &, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    if (object->objectName() == QLatin1String(AnnouncerName))
        return new AnnouncerAccessible(static_cast<QWidget *>(object));
    const QVariant die = object->property(DieIndexProperty);
    if (die.isValid() && qobject_cast<QPushButton *>(object))
        return new DieAccessible(static_cast<QPushButton *>(object), die.toInt());
    return nullptr;
}

// Qt tells the screen reader about every name it is given, changed or not.
void setAccessibleNameOf(QWidget *w, const QString &name)
{
    if (w->accessibleName() != name)
        w->setAccessibleName(name);
}

void setAccessibleDescriptionOf(QWidget *w, const QString &description)
{
    if (w->accessibleDescription() != description)
        w->setAccessibleDescription(description);
}

// "5 и 2", "5, 3 и 1".
QString spokenList(const QStringList &items)
{
    QString list = items.join(QStringLiteral(", "));
    if (items.size() > 1)
        list.replace(list.lastIndexOf(QStringLiteral(", ")), 2, QStringLiteral(" и "));
    return list;
}

// "кубики 1, 3 и 4", "кубик 2".
QString diceList(const QList<int> &dice)
{
    QStringList numbers;
    for (int i : dice)
        numbers << QString::number(i + 1);
    return (dice.size() == 1 ? QStringLiteral("кубик ") : QStringLiteral("кубики ")) + spokenList(numbers);
}

QString score(const TableState &s)
{
    return QStringLiteral("Счёт: %1 %2, %3 %4.")
        .arg(q(s.Label2.Caption), q(s.Label4.Caption), q(s.Label3.Caption), q(s.Label5.Caption));
}

}  // namespace

bool dieTakeable(const TableState &s, int index)
{
    return index >= 0 && index < DiceCount && s.Command1[index].Enabled && s.Command1[index].Top != SetAside;
}

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
    // The game opens on the player's throw.
    Command2->setFocus(Qt::OtherFocusReason);
    Timer1->start();
}

void Form1::build()
{
    // Before any control is made: the dice and the speech outlet are read out in their own way.
    static const bool accessibleKnown = (QAccessible::installFactory(tableAccessible), true);
    Q_UNUSED(accessibleKnown);
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
        Command1[i]->setProperty(DieIndexProperty, i);
        connect(Command1[i], &QPushButton::clicked, this,
                [this, i] { run(Move::Take, i, [i](TableState &s) { command1Click(s, i); }); });
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
    Label9 = label(client, "Label9", twips(3120, 600, 855, 255), QStringLiteral("Version " ZARVIKI_VERSION), Qt::AlignLeft,
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

    connect(Command2, &QPushButton::clicked, this,
            [this] { run(Move::Throw, -1, [this](TableState &s) { command2Click(s, m_draws); }); });
    connect(Command3, &QPushButton::clicked, this, [this] { run(Move::Stand, -1, command3Click); });
    connect(Command4, &QPushButton::clicked, this, [this] {
        run(Move::ComputerThrow, -1, [this](TableState &s) { command4Click(s, m_draws, readLevel()); });
    });
    connect(Command5, &QPushButton::clicked, this, [this] {
        emit command5Clicked();
        run(Move::Save, -1, command5Click);
    });

    // A notification for the screen reader, hidden until there is something to say. It has no
    // text of its own to show and sits in the client area's corner, under everything else.
    announcer = new QWidget(client);
    announcer->setObjectName(QLatin1String(AnnouncerName));
    announcer->setGeometry(0, 0, 1, 1);
    announcer->lower();
    announcer->hide();

    // The referee ticks every millisecond. It changes nothing twice on the same state, so it rests
    // once a tick has found nothing to do, and every handler wakes it for the very next millisecond.
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1);
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, &Form1::tick);
}

namespace {

// What a handler did, read off the table before and right after it (before the referee marks
// the dice it set aside).
QString handlerOutcome(Form1::Move move, int die, const TableState &before, const TableState &s)
{
    const QString computer = q(s.Label3.Caption);
    switch (move) {
    case Form1::Move::Take:
        return QStringLiteral("Кубик %1 взят: %2. Текущее значение %3.")
            .arg(die + 1)
            .arg(leadingNumber(before.Command1[die].Caption))
            .arg(q(s.Label1.Caption));
    case Form1::Move::Throw: {
        if (!s.Command2.Enabled)
            return QStringLiteral("Сгорел: взять нечего, текущее значение пропало.");
        QStringList faces;
        QList<int> takeable;
        for (int i = 0; i < DiceCount; ++i) {
            faces << (s.Command1[i].Top == SetAside ? QStringLiteral("отложен") : q(s.Command1[i].Caption));
            if (dieTakeable(s, i))
                takeable << i;
        }
        return QStringLiteral("Бросок: %1. Можно взять %2.").arg(faces.join(QStringLiteral(", ")), diceList(takeable));
    }
    case Form1::Move::Stand:
        return QStringLiteral("Записано %1. %2")
            .arg(leadingNumber(s.Label4.Caption) - leadingNumber(before.Label4.Caption))
            .arg(score(s));
    case Form1::Move::ComputerThrow: {
        if (s.Command4.Enabled) {
            QStringList faces;
            for (int i = 0; i < DiceCount; ++i)
                if (s.Command1[i].Top == SetAside && s.Command1[i].Caption != "X")
                    faces << q(s.Command1[i].Caption);
            const QString took = faces.isEmpty() ? QStringLiteral("%1 ничего не отложил.").arg(computer)
                                                 : QStringLiteral("%1 отложил %2.").arg(computer, spokenList(faces));
            return took + QStringLiteral(" Текущее значение %1.").arg(q(s.Label1.Caption));
        }
        if (s.Label5 == before.Label5)
            return QStringLiteral("%1 сгорел: взять нечего. %2").arg(computer, score(s));
        return QStringLiteral("%1 записал %2. %3")
            .arg(computer)
            .arg(leadingNumber(s.Label5.Caption) - leadingNumber(before.Label5.Caption))
            .arg(score(s));
    }
    case Form1::Move::Save:
    case Form1::Move::Write:
        break;
    }
    return {};
}

// What the referee's ticks added: a round won, the victory in the status line's own words.
QString refereeOutcome(const TableState &before, const TableState &s)
{
    QString said;
    const auto round = [&](const Caption &counter, const Caption &was, const Caption &name) {
        if (counter != was)
            said += QStringLiteral(" Раунд выиграл %1, раунды %2 : %3.")
                        .arg(q(name.Caption), q(s.Label7.Caption), q(s.Label8.Caption));
    };
    round(s.Label7, before.Label7, s.Label2);
    round(s.Label8, before.Label8, s.Label3);
    if (s.Label10 != before.Label10 && !s.Label10.Caption.empty())
        said += QLatin1Char(' ') + q(s.Label10.Caption);
    return said;
}

// Whose move it is, when the move has passed and the game goes on.
QString turnPassed(const TableState &before, const TableState &s)
{
    if (!s.Label10.Caption.empty() || before.Command4.Enabled == s.Command4.Enabled)
        return {};
    return s.Command4.Enabled ? QStringLiteral(" Ходит %1.").arg(q(s.Label3.Caption)) : QStringLiteral(" Твой ход.");
}

// The table as the referee will leave it: its ticks are plain rules, so the outcome of an action,
// rounds and victory included, is known as soon as the handler has run.
TableState refereed(TableState s)
{
    for (int tick = 0; tick < 4; ++tick) {
        const TableState before = s;
        timer1Tick(s);
        if (s == before)
            break;
    }
    return s;
}

}  // namespace

void Form1::run(Move move, int die, const std::function<void(TableState &)> &handler)
{
    const TableState before = m_state;
    handler(m_state);
    QString said;
    if (move != Move::Write) {
        const TableState settled = refereed(m_state);
        said = handlerOutcome(move, die, before, m_state) + refereeOutcome(m_state, settled) + turnPassed(before, settled);
        // Where the referee's tick moves the focus on (to the save-result button), the news waits
        // for it, so that the focus speech does not cut it short.
        if (settled.Label10 != m_state.Label10 || settled.Command5 != m_state.Command5)
            m_pendingNews = std::exchange(said, QString());
    }
    // A save hides the focused save-result button until the next tick: the focus waits for it
    // there rather than wandering through the table and being read out on the way.
    if (move == Move::Save && Command5->hasFocus())
        Command5->clearFocus();
    render(focusAfter(move, die), said);
    if (!Timer1->isActive())
        Timer1->start();
}

void Form1::change(const std::function<void(TableState &)> &write)
{
    run(Move::Write, -1, write);
}

void Form1::tick()
{
    const TableState before = m_state;
    timer1Tick(m_state);
    if (m_state == before) {
        Timer1->stop();
        announce(std::exchange(m_pendingNews, QString()));
        return;
    }
    QWidget *to = nullptr;
    if (before.Label10.Caption.empty() && !m_state.Label10.Caption.empty())
        to = focusForVictory();
    else if (!before.Command5.Visible && m_state.Command5.Visible)
        to = Command5;  // back after a save
    else
        to = focusAfter(Move::Write, -1);
    render(to, to ? std::exchange(m_pendingNews, QString()) : QString());
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

bool Form1::canRest(const QWidget *w) const
{
    const TableState &s = m_state;
    for (int i = 0; i < DiceCount; ++i)
        if (w == Command1[i])
            return dieTakeable(s, i);
    if (w == Command2)
        return s.Command2.Enabled;
    if (w == Command3)
        return s.Command3.Enabled;
    if (w == Command4)
        return s.Command4.Enabled;
    if (w == Command5)
        return s.Command5.Visible;
    return false;
}

// The first die from `die` on, round the row, that may be taken now.
QWidget *Form1::firstTakeableFrom(int die) const
{
    for (int k = 0; k < DiceCount; ++k) {
        const int i = (die + k) % DiceCount;
        if (dieTakeable(m_state, i))
            return Command1[i];
    }
    return nullptr;
}

QWidget *Form1::focusForVictory() const
{
    if (m_state.Command5.Visible)
        return Command5;
    return firstTakeableFrom(0);
}

// Where the focus goes once `move` has changed the table: on to what the player
// will most likely press next. A control that leaves play never keeps it.
QWidget *Form1::focusAfter(Move move, int die) const
{
    const TableState &s = m_state;
    QWidget *to = nullptr;
    switch (move) {
    case Move::Take:
        to = firstTakeableFrom(die + 1);
        if (!to && s.Command2.Enabled)
            to = Command2;
        break;
    case Move::Throw:
        to = s.Command2.Enabled ? firstTakeableFrom(0) : Command4;
        break;
    case Move::Stand:
        to = Command4;
        break;
    case Move::ComputerThrow:
        to = s.Command4.Enabled ? Command4 : Command2;
        break;
    case Move::Save:
    case Move::Write:
        break;
    }
    if (to && canRest(to))
        return to;
    QWidget *current = focusWidget();
    if (!current || canRest(current))
        return nullptr;
    // The focused control leaves play: the turn button in play, else the save button, else a die.
    for (QWidget *w : {static_cast<QWidget *>(Command2), static_cast<QWidget *>(Command3),
                       static_cast<QWidget *>(Command4), static_cast<QWidget *>(Command5)})
        if (canRest(w))
            return w;
    return firstTakeableFrom(0);
}

// Shows the notification anew, so the screen reader speaks it even when the words are the same.
void Form1::announce(const QString &text)
{
    const QString said = text.trimmed();
    if (said.isEmpty())
        return;
    announcer->hide();
    announcer->setProperty(AnnouncementProperty, said);
    if (isVisible())
        announcer->show();
}

void Form1::render(QWidget *focusTo, const QString &news)
{
    const TableState &s = m_state;
    const bool over = !s.Label10.Caption.empty();
    const auto renderDie = [&](int i) {
        const DieButton &die = s.Command1[i];
        QPushButton *b = Command1[i];
        b->move(px(DieLeft[i]), px(die.Top));
        b->setText(q(die.Caption));
        setAccessibleDescriptionOf(b, over          ? QStringLiteral("игра окончена")
                                      : die.Enabled ? QStringLiteral("можно взять")
                                                    : QStringLiteral("нельзя взять"));
    };
    // A die about to take the focus shows its face first: the screen reader hears the new face
    // with the focus, ahead of the news of the other controls.
    const auto *focusDie = std::find(Command1.begin(), Command1.end(), focusTo);
    if (focusDie != Command1.end())
        renderDie(int(focusDie - Command1.begin()));
    Command2->setText(q(s.Command2.Caption));
    Command3->setText(q(s.Command3.Caption));
    Command4->setText(q(s.Command4.Caption));

    // Controls come into play first, then the focus moves, then controls leave play: the focus is
    // never left on a control going out of play, where Qt would pass it on by itself.
    const std::pair<QWidget *, bool> inPlay[] = {
        {Command1[0], s.Command1[0].Enabled}, {Command1[1], s.Command1[1].Enabled},
        {Command1[2], s.Command1[2].Enabled}, {Command1[3], s.Command1[3].Enabled},
        {Command1[4], s.Command1[4].Enabled}, {Command2, s.Command2.Enabled},
        {Command3, s.Command3.Enabled},       {Command4, s.Command4.Enabled}};
    for (const auto &[w, on] : inPlay)
        if (on)
            w->setEnabled(true);
    if (s.Command5.Visible)
        Command5->setVisible(true);
    if (focusTo && focusTo != focusWidget())
        focusTo->setFocus(Qt::OtherFocusReason);
    // What the action did is told right after the focus speech, ahead of the news of the rest.
    announce(news);

    for (int i = 0; i < DiceCount; ++i)
        renderDie(i);
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

    for (const auto &[w, on] : inPlay)
        if (!on)
            w->setEnabled(false);
    if (!s.Command5.Visible)
        Command5->setVisible(false);
}

}  // namespace zarviki
