// SPDX-License-Identifier: GPL-3.0-or-later
// A blind player's game: turns played through the table window by key presses and the screen
// reader's own press, with what a screen reader hears of each (where the focus lands, what is
// announced, which names change) where the platform hands it to the reader, and the keyboard's
// short ways: the keys 1 to 5 on the table, Enter in the registration name box.

#include <QAccessible>
#include <QAccessibleBridgePlugin>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include "AnnouncementEvent.h"
#include "TableWindow.h"
#include "TestSupport.h"
#include "WindowSupport.h"
#include "halloffame/Form4.h"
#include "look/Look.h"
#include "registration/Form2.h"
#include "table/Form1.h"
#include "table/TableAccessible.h"

using namespace zarviki;
using namespace zarviki::testing;

namespace {

// What reached the accessibility bus: every notification shown with its words, every name or
// description change with the object it came from, and the focus moves and announcements in order.
struct Bus {
    static inline QObject *announcer = nullptr;
    static inline QStringList announcements;
    static inline QList<std::pair<QObject *, QAccessible::Event>> changes;
    static inline QList<std::pair<QObject *, QAccessible::Event>> focusAndNews;
    static inline QHash<QObject *, QString> toldDescriptions;  // what the reader last heard of each
    // Of the dice: each name or enabled change told, with whether the die had the focus then, and
    // each focus event; what the reader last heard of each die's name and enabled flag; the dice
    // that took the focus while the reader still had an old name, description or flag of them; and
    // the changes told that the reader already had.
    struct DieEvent {
        QObject *die;
        QAccessible::Event type;
        bool focused;
    };
    static inline QList<DieEvent> diceEvents;
    static inline QHash<QObject *, QString> heardNames;
    static inline QHash<QObject *, bool> heardEnabled;
    static inline QStringList stale, repeated;
    static inline QString describedAtFocus;  // the description of the die that last took the focus, then

    static void record(QAccessibleEvent *event)
    {
        QObject *object = event->object();
        if (event->type() == announcementEvent() && object && object == announcer) {
            announcements << QAccessible::queryAccessibleInterface(object)->text(QAccessible::Name);
            focusAndNews.append({object, event->type()});
        }
        if (event->type() == QAccessible::Focus)
            focusAndNews.append({object, event->type()});
        if (event->type() == QAccessible::NameChanged || event->type() == QAccessible::DescriptionChanged)
            changes.append({object, event->type()});
        if (object && object->objectName().startsWith(u"Command1_"))
            recordDie(event, static_cast<QWidget *>(object));
        if (event->type() == QAccessible::DescriptionChanged)
            toldDescriptions[object] = event->accessibleInterface()->text(QAccessible::Description);
    }
    static void recordDie(QAccessibleEvent *event, QWidget *die)
    {
        const QString name = event->accessibleInterface()->text(QAccessible::Name);
        const QString description = event->accessibleInterface()->text(QAccessible::Description);
        const bool disabled = event->type() == QAccessible::StateChanged
                              && static_cast<QAccessibleStateChangeEvent *>(event)->changedStates().disabled;
        if ((event->type() == QAccessible::NameChanged && heardNames.value(die) == name)
            || (event->type() == QAccessible::DescriptionChanged && toldDescriptions.value(die) == description)
            || (disabled && heardEnabled.value(die) == die->isEnabled()))
            repeated << die->objectName() + QStringLiteral(": ") + name + u'|' + description;
        if (event->type() == QAccessible::NameChanged)
            heardNames[die] = name;
        if (event->type() == QAccessible::Focus)
            describedAtFocus = description;
        if (disabled)
            heardEnabled[die] = die->isEnabled();
        if (event->type() == QAccessible::Focus
            && (heardNames.value(die) != name || toldDescriptions.value(die) != description
                || heardEnabled.value(die) != die->isEnabled()))
            stale << die->objectName() + QStringLiteral(": ") + heardNames.value(die) + QStringLiteral(" for ") + name;
        if (event->type() == QAccessible::NameChanged || disabled || event->type() == QAccessible::Focus)
            diceEvents.append({die, event->type(), die->hasFocus()});
    }
    static void clear()
    {
        announcements.clear();
        changes.clear();
        focusAndNews.clear();
    }
};

// Where Qt hands the events a screen reader gets, when no handler of the test's own stands between:
// the platform's accessibility bridge, as Orca's users have it.
class ScreenReaderBus final : public QAccessibleBridgePlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QAccessibleBridgeFactoryInterface_iid FILE "ScreenReaderBus.json")
public:
    QAccessibleBridge *create(const QString &) override
    {
        struct Bridge final : QAccessibleBridge {
            void setRootObject(QAccessibleInterface *) override {}
            void notifyAccessibilityUpdate(QAccessibleEvent *event) override { Bus::record(event); }
        };
        return new Bridge;
    }
};

// What a screen reader can read of a control, its accessible name and description, and the text
// it shows (Qt tells of a new button caption as of a new name, whatever the name).
QHash<QObject *, QString> spoken(Form1 &form)
{
    QHash<QObject *, QString> texts;
    for (QWidget *w : form.findChildren<QWidget *>()) {
        QAccessibleInterface *i = QAccessible::queryAccessibleInterface(w);
        if (i)
            texts.insert(w, i->text(QAccessible::Name) + u'|' + i->text(QAccessible::Description) + u'|' + textOf(w));
    }
    return texts;
}

// One key press of a scripted turn and what the player hears after it.
struct Step {
    std::vector<float> draws;            // queued before the key: one throw's faces and flags
    Qt::Key key;                         // pressed on the window that has the focus
    QString focus;                       // the control that then has the focus
    QString said;                        // the announcement the key brings; empty: none
    std::function<void(TableState &)> before = {};  // the table as another window leaves it
};

std::vector<float> throwOf(std::initializer_list<int> faces, std::initializer_list<bool> flags)
{
    std::vector<float> d;
    for (int f : faces)
        d.push_back(face(f));
    for (bool t : flags)
        d.push_back(t ? takeable : untakeable);
    return d;
}

constexpr bool T = true, U = false;
// Not a key: the screen reader's own press of the focused control, its "activate".
constexpr Qt::Key ReaderPress = Qt::Key_unknown;

}  // namespace

Q_DECLARE_METATYPE(QList<Step>)

class PlayByEarTest : public QObject {
    Q_OBJECT

private:
    ScriptedChance chance;
    FixedClock clock;
    std::unique_ptr<Form1> form;

    void key(Qt::Key k)
    {
        if (k == ReaderPress) {
            QAccessibleInterface *focused = QAccessible::queryAccessibleInterface(QApplication::focusWidget());
            focused->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
            return;
        }
        QWindow *w = QGuiApplication::focusWindow();
        QVERIFY(w);
        QTest::keyClick(w, k);
    }

private slots:
    void initTestCase()
    {
        installGameLook();
        // The offscreen platform has no screen reader to switch its accessibility on; the test is one.
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
        QVERIFY(QAccessible::isActive());
    }

    void init()
    {
        chance = {};
        form = std::make_unique<Form1>(chance, clock);
        Bus::announcer = form->announcer;
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QVERIFY(settle(*form));
        Bus::clear();
        Bus::toldDescriptions.clear();
        // What the reader read of the dice when the window appeared.
        Bus::diceEvents.clear();
        Bus::stale.clear();
        Bus::repeated.clear();
        for (QPushButton *die : form->Command1) {
            Bus::heardNames[die] = QAccessible::queryAccessibleInterface(die)->text(QAccessible::Name);
            Bus::toldDescriptions[die] = QAccessible::queryAccessibleInterface(die)->text(QAccessible::Description);
            Bus::heardEnabled[die] = die->isEnabled();
        }
    }

    // Whatever was played, no die told the reader what it already had.
    void cleanup()
    {
        form.reset();
        QVERIFY2(Bus::repeated.isEmpty(), qPrintable(QStringLiteral("told again: ") + Bus::repeated.join(u'/')));
    }

    void scriptedTurns_data()
    {
        QTest::addColumn<QList<Step>>("steps");
        const Qt::Key Space = Qt::Key_Space, Tab = Qt::Key_Tab;
        QTest::newRow("a take, a throw, a stand, the computer's turn, busts") << QList<Step>{
            {throwOf({3, 5, 0, 2, 4}, {T, U, T, T, U}), Space, "Command1_0",
             "Бросок: 3, 5, 0, 2, 4. Можно взять кубики 1, 3 и 4."},
            {{}, Tab, "Command1_2", ""},
            {{}, Qt::Key_Backtab, "Command1_0", ""},
            {{}, Space, "Command1_2", "Кубик 1 взят: 3. Текущее значение 3."},
            {{}, Qt::Key_4, "Command1_2", "Кубик 4 взят: 2. Текущее значение 5."},
            {{}, Space, "Command2", "Кубик 3 взят: 0. Текущее значение 5."},
            {throwOf({1, 1, 1, 1, 4}, {T, U, T, T, T}), Space, "Command1_4",
             "Бросок: отложен, 1, отложен, отложен, 4. Можно взять кубик 5."},
            {{}, Tab, "Command2", ""},
            {{}, Tab, "Command3", ""},
            {{}, Space, "Command4", "Записано 5. Счёт: User 5, Компьютер 0. Ходит Компьютер."},
            {throwOf({5, 1, 1, 1, 1}, {T, U, U, U, U}), Space, "Command4",
             "Компьютер отложил 5. Текущее значение 5."},
            {throwOf({3, 0, 0, 1, 1}, {U, U, T, U, U}), Space, "Command4",
             "Компьютер ничего не отложил. Текущее значение 5."},
            {throwOf({3, 2, 4, 1, 1}, {U, T, U, U, U}), Space, "Command2",
             "Компьютер записал 14. Счёт: User 5, Компьютер 14. Твой ход."},
            {throwOf({3, 2, 4, 1, 1}, {U, U, U, U, U}), Space, "Command4",
             "Сгорел: взять нечего, текущее значение пропало. Ходит Компьютер."},
            {throwOf({3, 2, 4, 1, 1}, {U, U, U, U, U}), Space, "Command2",
             "Компьютер сгорел: взять нечего. Счёт: User 5, Компьютер 14. Твой ход."},
            {throwOf({2, 4, 1, 0, 3}, {U, T, T, U, U}), Space, "Command1_1",
             "Бросок: 2, 4, 1, 0, 3. Можно взять кубики 2 и 3."},
            {{}, ReaderPress, "Command1_2", "Кубик 2 взят: 4. Текущее значение 4."},
        };
        QTest::newRow("the player wins the game") << QList<Step>{
            {throwOf({5, 1, 1, 1, 1}, {T, T, U, U, U}), Space, "Command1_0",
             "Бросок: 5, 1, 1, 1, 1. Можно взять кубики 1 и 2.",
             [](TableState &s) {
                 s.Label4.Caption = "99";
                 s.Label7.Caption = "2";
             }},
            {{}, Space, "Command1_1", "Кубик 1 взят: 5. Текущее значение 5."},
            {{}, Tab, "Command2", ""},
            {{}, Tab, "Command3", ""},
            {{}, Space, "Command5",
             "Записано 5. Счёт: User 104, Компьютер 0. Раунд выиграл User, раунды 3 : 0. Ты ПОБЕДИЛ!"},
            // Saved: the button is back at the next tick, and so is the focus, which meanwhile
            // did not wander to die 2, still in play.
            {{}, Space, "Command5", ""},
        };
        QTest::newRow("a die's face changed while it has the focus") << QList<Step>{
            {throwOf({3, 5, 0, 2, 4}, {T, U, T, T, U}), Space, "Command1_0",
             "Бросок: 3, 5, 0, 2, 4. Можно взять кубики 1, 3 и 4."},
            {{}, Tab, "Command1_2", "", [](TableState &s) { s.Command1[0].Caption = "5"; }},
            {{}, Qt::Key_Backtab, "Command1_0", ""},
        };
        QTest::newRow("the computer wins the game") << QList<Step>{
            {{}, Tab, "Command3", "",
             [](TableState &s) {
                 s.Label5.Caption = "95";
                 s.Label8.Caption = "2";
             }},
            {{}, Space, "Command4", "Записано 0. Счёт: User 0, Компьютер 95. Ходит Компьютер."},
            {throwOf({1, 1, 5, 1, 2}, {U, U, T, U, T}), Space, "Command1_2",
             "Компьютер записал 14. Счёт: User 0, Компьютер 109. Раунд выиграл Компьютер, раунды 0 : 3. "
             "Победил  компьютер !"},
        };
    }

    // After every key the focus is on the control the player needs next, never on one out of
    // play, and the outcome is announced once; names change only where something changed.
    void scriptedTurns()
    {
        QFETCH(QList<Step>, steps);
        QCOMPARE(QApplication::focusWidget(), form->Command2);  // the game opens on the throw
        for (int n = 0; n < steps.size(); ++n) {
            const Step &step = steps[n];
            const QString where = QStringLiteral("step %1: ").arg(n + 1);
            if (step.before) {
                form->change(step.before);
                QVERIFY(settle(*form));
            }
            chance.draws.insert(chance.draws.end(), step.draws.begin(), step.draws.end());
            const QHash<QObject *, QString> heardBefore = spoken(*form);
            Bus::clear();

            QWidget *focusBefore = QApplication::focusWidget();
            key(step.key);
            QVERIFY(settle(*form));

            QWidget *focus = QApplication::focusWidget();
            const bool focusMoved = focus != focusBefore;
            QVERIFY2(focus, qPrintable(where + QStringLiteral("nothing has the focus")));
            QVERIFY2(focus->objectName() == step.focus,
                     qPrintable(where + QStringLiteral("focus on %1, not %2").arg(focus->objectName(), step.focus)));
            QVERIFY2(focus->isEnabled() && focus->isVisible(), qPrintable(where + QStringLiteral("focus out of play")));
            const QStringList expected = step.said.isEmpty() ? QStringList{} : QStringList{step.said};
            QVERIFY2(Bus::announcements == expected,
                     qPrintable(where + QStringLiteral("announced \"%1\"").arg(Bus::announcements.join(u'/'))));

            // The focus passes over no die on its way, where the die would be read out, and the
            // news comes after it, with no focus speech after it to cut it short.
            bool focused = false, told = false;
            for (const auto &[object, type] : Bus::focusAndNews) {
                if (type == QAccessible::Focus) {
                    QVERIFY2(object == focus || !object->objectName().startsWith(u"Command1_"),
                             qPrintable(where + QStringLiteral("the focus passed over %1").arg(object->objectName())));
                    QVERIFY2(!told, qPrintable(where + QStringLiteral("the focus on %1 cut the news").arg(object->objectName())));
                    focused = true;
                }
                told = told || type != QAccessible::Focus;
                QVERIFY2(type == QAccessible::Focus || !focusMoved || focused,
                         qPrintable(where + QStringLiteral("the news came before the focus")));
            }
            QVERIFY2(!focusMoved || focused, qPrintable(where + QStringLiteral("the focus did not move")));

            // A screen reader keeps what it was told: the focused die's description must have been,
            // and a die that takes the focus already reads as the referee's tick leaves it.
            const QString described = QAccessible::queryAccessibleInterface(focus)->text(QAccessible::Description);
            if (focus->objectName().startsWith(u"Command1_"))
                QVERIFY2(Bus::toldDescriptions.value(focus) == described && (!focusMoved || Bus::describedAtFocus == described),
                         qPrintable(where + QStringLiteral("the reader was not told the description of ")
                                    + focus->objectName()));

            const QHash<QObject *, QString> heardAfter = spoken(*form);
            // A die's description and name are told when the focus reaches it, whenever they changed.
            for (const auto &[object, type] : Bus::changes) {
                if (object == form->announcer || type == QAccessible::DescriptionChanged || (focusMoved && object == focus))
                    continue;
                QVERIFY2(heardBefore.value(object) != heardAfter.value(object),
                         qPrintable(where + QStringLiteral("%1 told of a change to \"%2\" that did not happen")
                                                .arg(object->objectName(), heardAfter.value(object))));
            }
        }
    }

    void diceTellTheirChangesWithTheFocus_data()
    {
        QTest::addColumn<QList<Step>>("steps");
        const Qt::Key Space = Qt::Key_Space, Tab = Qt::Key_Tab;
        const auto offer = throwOf({3, 5, 0, 2, 4}, {T, U, T, T, U});
        QTest::newRow("a throw: the game brings the focus") << QList<Step>{{offer, Space, "Command1_0", ""}};
        QTest::newRow("a throw, then Tab") << QList<Step>{{offer, Space, "Command1_0", ""}, {{}, Tab, "Command1_2", ""}};
        QTest::newRow("a turn and the computer's") << QList<Step>{
            {offer, Space, "Command1_0", ""},
            {{}, Tab, "Command1_2", ""},
            {{}, Qt::Key_Backtab, "Command1_0", ""},
            {{}, Space, "Command1_2", ""},
            {{}, Qt::Key_4, "Command1_2", ""},
            {{}, Space, "Command2", ""},
            {throwOf({1, 1, 1, 1, 4}, {T, U, T, T, T}), Space, "Command1_4", ""},
            {{}, Tab, "Command2", ""},
            {{}, Tab, "Command3", ""},
            {{}, Space, "Command4", ""},
            {throwOf({5, 1, 1, 1, 1}, {T, U, U, U, U}), Space, "Command4", ""},
            {throwOf({3, 0, 0, 1, 1}, {U, U, T, U, U}), Space, "Command4", ""},
            {throwOf({3, 2, 4, 1, 1}, {U, T, U, U, U}), Space, "Command2", ""},
        };
    }

    // A screen reader reads a die's name and enabled flag when the focus reaches it and speaks
    // neither for an unfocused die: a die without the focus tells no change, and a die that takes
    // the focus has told whatever changed of it first.
    void diceTellTheirChangesWithTheFocus()
    {
        QFETCH(QList<Step>, steps);
        int toldWithTheFocus = 0;
        for (int n = 0; n < steps.size(); ++n) {
            const Step &step = steps[n];
            chance.draws.insert(chance.draws.end(), step.draws.begin(), step.draws.end());
            Bus::diceEvents.clear();
            key(step.key);
            QVERIFY(settle(*form));
            QCOMPARE(QApplication::focusWidget()->objectName(), step.focus);
            QVERIFY2(Bus::stale.isEmpty(), qPrintable(QStringLiteral("step %1: the reader kept %2")
                                                          .arg(n + 1).arg(Bus::stale.join(QStringLiteral(", ")))));
            for (qsizetype i = 0; i < Bus::diceEvents.size(); ++i) {
                const Bus::DieEvent &e = Bus::diceEvents[i];
                if (e.type == QAccessible::Focus)
                    continue;
                qsizetype next = i + 1;
                while (next < Bus::diceEvents.size() && Bus::diceEvents[next].die == e.die
                       && Bus::diceEvents[next].type != QAccessible::Focus)
                    ++next;
                if (next < Bus::diceEvents.size() && Bus::diceEvents[next].die == e.die)
                    ++toldWithTheFocus;
                else
                    QVERIFY2(e.focused, qPrintable(QStringLiteral("step %1: %2 told a change without the focus")
                                                       .arg(n + 1).arg(e.die->objectName())));
            }
        }
        QVERIFY(toldWithTheFocus > 0);
    }

    void keysTakeDice_data()
    {
        QTest::addColumn<int>("die");
        QTest::addColumn<bool>("keypad");
        QTest::addColumn<bool>("taken");
        // After the throw, die 1 is set aside, dice 2, 4 and 5 may be taken, die 3 may not.
        QTest::newRow("1, set aside") << 0 << false << false;
        QTest::newRow("2, may be taken") << 1 << false << true;
        QTest::newRow("3, may not") << 2 << false << false;
        QTest::newRow("4, may be taken") << 3 << false << true;
        QTest::newRow("5, may be taken") << 4 << false << true;
        QTest::newRow("keypad 5, may be taken") << 4 << true << true;
        QTest::newRow("keypad 3, may not") << 2 << true << false;
    }

    // The keys 1 to 5, on the main keys or the keypad, take their die when it may be taken,
    // whatever has the focus, and do nothing otherwise; they are no shortcut of any caption.
    void keysTakeDice()
    {
        QFETCH(int, die);
        QFETCH(bool, keypad);
        QFETCH(bool, taken);
        chance.queueThrow(all5(face(4)), {takeable, untakeable, untakeable, untakeable, untakeable});
        key(Qt::Key_Space);
        key(Qt::Key_1);
        QVERIFY(settle(*form));
        chance.queueThrow({face(1), face(2), face(3), face(4), face(5)},
                          {untakeable, takeable, untakeable, takeable, takeable});
        form->Command2->setFocus();
        key(Qt::Key_Space);
        QVERIFY(settle(*form));
        form->Command2->setFocus();
        const TableState before = form->state();

        QTest::keyClick(QGuiApplication::focusWindow(), Qt::Key(Qt::Key_1 + die),
                        keypad ? Qt::KeypadModifier : Qt::NoModifier);
        QCOMPARE(form->state().Command1[die].Top == SetAside, taken || die == 0);
        QCOMPARE(form->Label1->text(), QString::number(4 + (taken ? die + 1 : 0)));
        if (!taken)
            QVERIFY(form->state() == before);
    }

    // Enter in the registration window's name box presses "ОК"; the winner window's text box is
    // named by its label.
    void enterInTheNameBoxPressesOk()
    {
        Form2 registration;
        QSignalSpy ok(&registration, &Form2::command1Clicked);
        registration.show();
        registration.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&registration));
        registration.Text1->setFocus();
        QTest::keyClicks(registration.Text1, QStringLiteral("Ann"));
        QTest::keyClick(registration.Text1, Qt::Key_Return);
        QCOMPARE(ok.count(), 1);
        QTest::keyClick(registration.Text1, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(ok.count(), 2);
        QCOMPARE(registration.Text1->text(), QStringLiteral("UserAnn"));

        Form4 winner([] { return QStringLiteral("User"); });
        QCOMPARE(QAccessible::queryAccessibleInterface(winner.Text2)->text(QAccessible::Name),
                 QStringLiteral("Пару слов о себе:"));
    }

private:
    static std::vector<float> all5(float d) { return std::vector<float>(5, d); }
};

Q_IMPORT_PLUGIN(ScreenReaderBus)
QTEST_MAIN(PlayByEarTest)
#include "tst_playbyear.moc"
