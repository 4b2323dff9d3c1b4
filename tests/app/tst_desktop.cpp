// SPDX-License-Identifier: GPL-3.0-or-later
// The game as a desktop program: the icon on every window, the keyboard ways through the windows and
// their menus, and what a screen reader hears of every control.

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QtTest>

#include "TestSupport.h"
#include "WindowSupport.h"
#include "app/Shell.h"
#include "halloffame/Form3.h"
#include "halloffame/Form4.h"
#include "info/Form5.h"
#include "info/Form6.h"
#include "look/Icon.h"
#include "look/Look.h"
#include "registration/Form2.h"
#include "table/Form1.h"

using namespace zarviki;
using namespace zarviki::testing;
using testing::face;
using testing::takeable;
using testing::untakeable;

namespace {


QAccessible::Role roleOf(QWidget *w)
{
    QAccessibleInterface *i = QAccessible::queryAccessibleInterface(w);
    return i ? i->role() : QAccessible::NoRole;
}

QString nameOf(QWidget *w)
{
    QAccessibleInterface *i = QAccessible::queryAccessibleInterface(w);
    return i ? i->text(QAccessible::Name) : QString();
}

}  // namespace

class DesktopTest : public QObject, private testing::GameRun {
    Q_OBJECT
private:
    int programEnds = 0;

    Form1 *showTable()
    {
        shell->form2()->Command1->click();
        Form1 *table = shell->form1();
        table->activateWindow();
        if (!QTest::qWaitForWindowActive(table))
            return nullptr;
        return table;
    }

    // A key as the keyboard delivers it: to the window that has the focus, shortcuts included.
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWindow *w = QGuiApplication::focusWindow();
        QVERIFY(w);
        QTest::keyClick(w, k, modifiers);
    }

    // Tab from each expected control reaches the next, and the last wraps to the first.
    void checkTabCycle(const QList<QWidget *> &expected)
    {
        expected.first()->setFocus(Qt::OtherFocusReason);
        QCOMPARE(QApplication::focusWidget(), expected.first());
        for (int i = 1; i <= expected.size(); ++i) {
            key(Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), expected[i % expected.size()]->objectName());
        }
        key(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget()->objectName(), expected.last()->objectName());
    }

private slots:
    void initTestCase()
    {
        installGameLook();
        installGameIcon();
    }

    void init()
    {
        chance = {};
        programEnds = 0;
        startRun([this] { ++programEnds; });
    }

    void cleanup() { endRun(); }

    // --- The icon ---

    void everyWindowShowsTheIcon()
    {
        const QImage expected = gameIcon().pixmap(QSize(48, 48), 1.0).toImage();
        Form1 *table = shell->form1();
        QWidget *all[] = {table, shell->form2(), shell->form3(), shell->form4(), shell->form5(),
                          shell->form6()};
        for (QWidget *w : all) {
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w));
            QVERIFY2(w->windowHandle() && !w->windowHandle()->icon().isNull(), qPrintable(w->objectName()));
            QCOMPARE(w->windowHandle()->icon().pixmap(QSize(48, 48), 1.0).toImage(), expected);
        }
    }

    // --- Keyboard ---

    void tableTabOrder()
    {
        Form1 *table = showTable();
        QVERIFY(table);
        // The order itself: every button in the focus chain, the computer's-move and save-result
        // buttons included.
        QList<QWidget *> expected(table->Command1.begin(), table->Command1.end());
        expected << table->Command2 << table->Command3 << table->Command4 << table->Command5;
        QWidget *w = table->Command1[0];
        for (int i = 1; i < expected.size(); ++i) {
            do
                w = w->nextInFocusChain();
            while (w->focusPolicy() == Qt::NoFocus || !(w->focusPolicy() & Qt::TabFocus));
            QCOMPARE(w, expected[i]);
        }
        // At start the computer's-move button is disabled and the save-result button hidden: Tab passes them.
        QList<QWidget *> order(table->Command1.begin(), table->Command1.end());
        checkTabCycle(order + QList<QWidget *>{table->Command2, table->Command3});

        table->change([](TableState &s) {
            s.Command4.Enabled = true;
            s.Command5.Visible = true;
        });
        checkTabCycle(order + QList<QWidget *>{table->Command2, table->Command3, table->Command4, table->Command5});
    }

    void registrationTabOrder_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::newRow("Бывалый, as at start") << QStringLiteral("Option3");
        QTest::newRow("Крутой") << QStringLiteral("Option1");
        QTest::newRow("Л@мер") << QStringLiteral("Option2");
    }

    // The three options are one stop of the tab order: Tab enters the group at its first option,
    // Option1, and leaves it with the next Tab; the arrow keys move the selection inside the group.
    void registrationTabOrder()
    {
        QFETCH(QString, selected);
        Form2 *r = shell->form2();
        r->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(r));
        r->findChild<QRadioButton *>(selected)->setChecked(true);
        checkTabCycle({r->Text1, r->Command1, r->Check1, r->Check2, r->Option1});
        QVERIFY(r->findChild<QRadioButton *>(selected)->isChecked());  // Tab selects nothing

        r->Text1->setFocus();
        key(Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY(qobject_cast<QRadioButton *>(QApplication::focusWidget()));
        key(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), r->Check2);
    }

    void arrowsMoveTheLevelAlongTheRow()
    {
        Form2 *r = shell->form2();
        r->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(r));
        r->Option3->setFocus();
        key(Qt::Key_Right);  // left to right: "Л@мер", "Бывалый", "Крутой"
        QCOMPARE(QApplication::focusWidget(), r->Option1);
        QVERIFY(r->Option1->isChecked() && !r->Option3->isChecked());
        key(Qt::Key_Left);
        key(Qt::Key_Left);
        QCOMPARE(QApplication::focusWidget(), r->Option2);
        QVERIFY(r->Option2->isChecked());
        QVERIFY(r->level().Option2 && !r->level().Option1 && !r->level().Option3);
    }

    void spacePressesTheFocusedControl()
    {
        Form2 *r = shell->form2();
        r->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(r));
        r->Check2->setFocus();
        key(Qt::Key_Space);
        QVERIFY(r->Check2->isChecked());
        QVERIFY(!r->Check1->isChecked());  // the box's click handling ran for the key
        QCOMPARE(shell->form1()->state().Label3.Caption, std::string("Железяка"));
        r->Option1->setFocus();
        key(Qt::Key_Space);
        QVERIFY(r->Option1->isChecked() && !r->Option3->isChecked());
        r->Command1->setFocus();
        key(Qt::Key_Space);
        QVERIFY(shell->form1()->isVisible());
        QVERIFY(!r->isVisible());

        Form1 *table = shell->form1();
        table->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(table));
        chance.queueThrow({face(3), face(5), face(0), face(2), face(4)},
                          {takeable, untakeable, takeable, takeable, untakeable});
        table->Command2->setFocus();
        key(Qt::Key_Space);
        QCOMPARE(table->Command1[0]->text(), QStringLiteral("3"));
        table->Command1[2]->setFocus();
        key(Qt::Key_Space);
        QCOMPARE(table->state().Command1[2].Top, 0);
        QCOMPARE(table->Label1->text(), QStringLiteral("0"));  // face 0 adds nothing
        table->Command1[3]->setFocus();
        key(Qt::Key_Space);
        QCOMPARE(table->Label1->text(), QStringLiteral("2"));
        QTRY_COMPARE(table->Command1[3]->text(), QStringLiteral("X"));
    }

    void menusOpenFromTheKeyboard_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("shown");
        const int F10 = Qt::Key_F10, Down = Qt::Key_Down, Right = Qt::Key_Right, Enter = Qt::Key_Return;
        QTest::newRow("F10, last hero") << QList<int>{F10, Down, Enter} << QStringLiteral("Form3");
        QTest::newRow("F10, exit") << QList<int>{F10, Down, Down, Enter} << QStringLiteral("end");
        // Moving on to the next menu highlights its first item.
        QTest::newRow("F10, how to play") << QList<int>{F10, Right, Enter} << QStringLiteral("Form5");
        QTest::newRow("F10, about") << QList<int>{F10, Right, Down, Enter} << QStringLiteral("Form6");
        QTest::newRow("Alt, last hero") << QList<int>{Qt::Key_Alt, Down, Enter} << QStringLiteral("Form3");
        QTest::newRow("Alt, about") << QList<int>{Qt::Key_Alt, Right, Down, Qt::Key_Up, Enter} << QStringLiteral("Form6");
    }

    void menusOpenFromTheKeyboard()
    {
        QFETCH(QList<int>, keys);
        QFETCH(QString, shown);
        Form1 *table = showTable();
        QVERIFY(table);
        for (int k : keys) {
            if (k == Qt::Key_Alt) {
                // Alt pressed and released alone.
                QTest::keyPress(table->windowHandle(), Qt::Key_Alt, Qt::AltModifier);
                QTest::keyRelease(table->windowHandle(), Qt::Key_Alt, Qt::NoModifier);
                QCOMPARE(table->menuBar()->activeAction(), table->mnuFile->menuAction());
            } else {
                key(Qt::Key(k));
                if (k == Qt::Key_F10)
                    QTRY_VERIFY(table->mnuFile->isVisible());
            }
        }
        if (shown == QStringLiteral("end")) {
            QTRY_COMPARE(programEnds, 1);
            return;
        }
        QWidget *expected = shown == QStringLiteral("Form3")   ? static_cast<QWidget *>(shell->form3())
                            : shown == QStringLiteral("Form5") ? static_cast<QWidget *>(shell->form5())
                                                               : static_cast<QWidget *>(shell->form6());
        QTRY_VERIFY(expected->isVisible());
        QCOMPARE(programEnds, 0);
        QVERIFY(!table->mnuFile->isVisible() && !table->mnuHelp->isVisible());
    }

    void escapeClosesTheMenuAgain()
    {
        Form1 *table = showTable();
        QVERIFY(table);
        key(Qt::Key_F10);
        QTRY_VERIFY(table->mnuFile->isVisible());
        key(Qt::Key_Escape);
        QTRY_VERIFY(!table->mnuFile->isVisible());
        QVERIFY(!shell->form3()->isVisible());
        QCOMPARE(programEnds, 0);
    }

    void keyboardWaysChangeNoCaption()
    {
        Form1 *table = shell->form1();
        const QRegularExpression mnemonic(QStringLiteral("&"));
        for (QAction *a : table->findChildren<QAction *>()) {
            QVERIFY2(!a->text().contains(mnemonic), qPrintable(a->text()));
            QVERIFY(a->shortcut().isEmpty());
        }
        for (QAbstractButton *b : table->findChildren<QAbstractButton *>() + shell->form2()->findChildren<QAbstractButton *>())
            QVERIFY2(!b->text().contains(mnemonic) && b->shortcut().isEmpty(), qPrintable(b->objectName()));
    }

    // --- Screen readers ---

    void everyControlHasANameAndItsRole_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("role");
        const auto row = [](const char *window, const QString &control, QAccessible::Role role) {
            QTest::addRow("%s.%s", window, qPrintable(control)) << QString::fromLatin1(window) << control << int(role);
        };
        for (int i = 0; i < DiceCount; ++i)
            row("Form1", QStringLiteral("Command1_%1").arg(i), QAccessible::PushButton);
        for (int i = 2; i <= 5; ++i)
            row("Form1", QStringLiteral("Command%1").arg(i), QAccessible::PushButton);
        for (int i = 1; i <= 3; ++i)
            row("Form1", QStringLiteral("Frame%1").arg(i), QAccessible::Grouping);
        for (int i = 1; i <= 10; ++i)
            row("Form1", QStringLiteral("Label%1").arg(i), QAccessible::StaticText);
        row("Form2", QStringLiteral("Text1"), QAccessible::EditableText);
        for (int i : {1, 2, 3, 5})
            row("Form2", QStringLiteral("Label%1").arg(i), QAccessible::StaticText);
        row("Form2", QStringLiteral("Command1"), QAccessible::PushButton);
        row("Form2", QStringLiteral("Check1"), QAccessible::CheckBox);
        row("Form2", QStringLiteral("Check2"), QAccessible::CheckBox);
        for (int i : {1, 3, 2})
            row("Form2", QStringLiteral("Option%1").arg(i), QAccessible::RadioButton);
    }

    void everyControlHasANameAndItsRole()
    {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(int, role);
        QWidget *w = window == QStringLiteral("Form1") ? static_cast<QWidget *>(shell->form1())
                                                        : static_cast<QWidget *>(shell->form2());
        QWidget *c = w->findChild<QWidget *>(control);
        QVERIFY(c);
        QCOMPARE(int(roleOf(c)), role);
        QVERIFY2(!nameOf(c).trimmed().isEmpty(), "no accessible name");
    }

    void noControlIsLeftOut()
    {
        // Every control of both windows is one of the rows above (plus the line, which is drawn only).
        const QRegularExpression controlName(QStringLiteral("^(Command|Label|Text|Check|Option|Frame)\\d"));
        int controls = 0;
        for (QWidget *window : {static_cast<QWidget *>(shell->form1()), static_cast<QWidget *>(shell->form2())})
            for (QWidget *c : window->findChildren<QWidget *>())
                controls += controlName.match(c->objectName()).hasMatch();
        QCOMPARE(controls, 22 + 11);
    }

    void menusAreNamed()
    {
        Form1 *table = shell->form1();
        QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(table->menuBar());
        QVERIFY(bar);
        QCOMPARE(bar->role(), QAccessible::MenuBar);
        QCOMPARE(bar->childCount(), 2);
        QCOMPARE(bar->child(0)->text(QAccessible::Name), QStringLiteral("Файл"));
        QCOMPARE(bar->child(1)->text(QAccessible::Name), QStringLiteral("Помощ"));
        QAccessibleInterface *file = QAccessible::queryAccessibleInterface(table->mnuFile);
        QCOMPARE(file->childCount(), 3);
        QCOMPARE(file->child(0)->text(QAccessible::Name), QStringLiteral("Последний герой"));
        QCOMPARE(file->child(1)->role(), QAccessible::Separator);
        QCOMPARE(file->child(2)->text(QAccessible::Name), QStringLiteral("Выход"));
    }

    void dieSaysWhatItShows()
    {
        Form1 *table = showTable();
        QVERIFY(table);
        const auto iface = [table](int i) { return QAccessible::queryAccessibleInterface(table->Command1[i]); };
        for (int i = 0; i < DiceCount; ++i) {
            QCOMPARE(iface(i)->text(QAccessible::Name), QStringLiteral("Кубик %1: пусто").arg(i + 1));
            QVERIFY(!iface(i)->state().disabled);
        }

        chance.queueThrow({face(3), face(5), face(0), face(2), face(4)},
                          {takeable, untakeable, takeable, takeable, untakeable});
        QTest::mouseClick(table->Command2, Qt::LeftButton);
        const char *faces[] = {"3", "5", "0", "2", "4"};
        const bool mayTake[] = {true, false, true, true, false};
        for (int i = 0; i < DiceCount; ++i) {
            QCOMPARE(iface(i)->text(QAccessible::Name), QStringLiteral("Кубик %1: %2").arg(i + 1).arg(faces[i]));
            QCOMPARE(iface(i)->state().disabled, !mayTake[i]);
            QCOMPARE(iface(i)->text(QAccessible::Description),
                     mayTake[i] ? QStringLiteral("можно взять") : QStringLiteral("нельзя взять"));
        }

        // Taken: the face stays until the referee's next tick marks the die.
        QTest::mouseClick(table->Command1[0], Qt::LeftButton);
        QTRY_COMPARE(iface(0)->text(QAccessible::Name), QStringLiteral("Кубик 1: X, отложен"));
        QVERIFY(iface(0)->state().disabled);
        QCOMPARE(iface(0)->text(QAccessible::Description), QStringLiteral("нельзя взять"));
        QCOMPARE(iface(2)->text(QAccessible::Name), QStringLiteral("Кубик 3: 0"));

        // Standing clears the table; whether a die may be taken is left as it was.
        QTest::mouseClick(table->Command3, Qt::LeftButton);
        for (int i = 0; i < DiceCount; ++i)
            QCOMPARE(iface(i)->text(QAccessible::Name), QStringLiteral("Кубик %1: пусто").arg(i + 1));
        QCOMPARE(iface(2)->state().disabled, false);
        QCOMPARE(iface(1)->state().disabled, true);
    }

    void scoreNamesFollowTheGame()
    {
        Form1 *table = showTable();
        QVERIFY(table);
        table->change([](TableState &s) {
            s.Label1.Caption = "7";
            s.Label4.Caption = "105";
        });
        QCOMPARE(nameOf(table->Label1), QStringLiteral("7"));
        QTRY_COMPARE(nameOf(table->Label7), QStringLiteral("1"));  // the referee counts the round
        QCOMPARE(nameOf(table->Label4), QStringLiteral("0"));

        // The victory line is read out once someone has won.
        QCOMPARE(nameOf(table->Label10), QStringLiteral("Победителя пока нет"));
        table->change([](TableState &s) {
            s.Label7.Caption = "2";
            s.Label4.Caption = "101";
        });
        QTRY_COMPARE(nameOf(table->Label10), table->Label10->text());
        QVERIFY(!table->Label10->text().isEmpty());
    }
};

QTEST_MAIN(DesktopTest)
#include "tst_desktop.moc"
