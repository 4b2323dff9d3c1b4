// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up and the window flow: which windows exist and show, the registration OK, the single
// instance of every window, and how the program ends.

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "TestSupport.h"
#include "WindowSupport.h"
#include "app/Shell.h"
#include "halloffame/Form3.h"
#include "info/Form5.h"
#include "info/Form6.h"
#include "look/Look.h"
#include "registration/Form2.h"
#include "table/Form1.h"

using namespace zarviki;
using namespace zarviki::testing;

namespace {

QList<QWidget *> visibleWindows()
{
    QList<QWidget *> shown;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible())
            shown << w;
    return shown;
}

// Types text the way a keyboard does, one key event a character.
void type(QWidget *w, const QString &text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QApplication::sendEvent(w, &release);
    }
}

// Runs the event loop until the program ends; 99 if it never does.
int runUntilEnd(const std::function<void()> &action, int patienceMs = 3000)
{
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    watchdog.start(patienceMs);
    QTimer::singleShot(0, action);
    return QCoreApplication::exec();
}

}  // namespace

class ShellTest : public QObject, private testing::GameRun {
    Q_OBJECT
private:

private slots:
    void initTestCase() { installGameLook(); }

    void init() { startRun(); }
    void cleanup() { endRun(); }

    void startUpShowsRegistrationAlone()
    {
        QCOMPARE(visibleWindows(), QList<QWidget *>{shell->form2()});
        Form1 *table = shell->form1();
        QVERIFY(!table->isVisible());
        QCOMPARE(table->Label2->text(), QStringLiteral("User"));
        QCOMPARE(shell->form2()->Text1->text(), QStringLiteral("User"));
        QVERIFY(shell->form2()->Check1->isChecked());
        QVERIFY(table->Timer1->isActive() || table->state() == TableState{});
    }

    void okShowsTableWithName_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("retype");
        QTest::newRow("unchanged") << QStringLiteral("User") << false;
        QTest::newRow("typed") << QStringLiteral("Вася Пупкин") << true;
        QTest::newRow("empty") << QString() << true;
        QTest::newRow("spaces kept") << QStringLiteral("  Ив ан  ") << true;
        QTest::newRow("markup shown as text") << QStringLiteral("<b>&Петя</b>") << true;
    }

    void okShowsTableWithName()
    {
        QFETCH(QString, typed);
        QFETCH(bool, retype);
        Form2 *registration = shell->form2();
        if (retype) {
            registration->Text1->selectAll();
            QTest::keyClick(registration->Text1, Qt::Key_Delete);
            type(registration->Text1, typed);
        }
        QTest::mouseClick(registration->Command1, Qt::LeftButton);

        Form1 *table = shell->form1();
        QVERIFY(table->isVisible());
        QVERIFY(!registration->isVisible());
        QCOMPARE(table->Label2->text(), typed);
        QCOMPARE(table->state().Label2.Caption, typed.toStdString());
        QVERIFY(!table->Command4->isEnabled());
        QVERIFY(table->Command2->isEnabled() && table->Command3->isEnabled());
        QCOMPARE(visibleWindows(), QList<QWidget *>{table});
    }

    void eachWindowExistsOnce()
    {
        QTest::mouseClick(shell->form2()->Command1, Qt::LeftButton);
        Form1 *table = shell->form1();
        QCOMPARE(shell->form1(), table);
        QCOMPARE(shell->form2(), shell->form2());

        table->mnuK->trigger();
        Form5 *help = shell->form5();
        table->mnuK->trigger();
        QCOMPARE(shell->form5(), help);
        QVERIFY(help->isVisible());
        const QWidgetList all = QApplication::topLevelWidgets();
        QCOMPARE(std::count_if(all.begin(), all.end(),
                               [](QWidget *w) { return w->objectName() == QLatin1String("Form5"); }),
                 1);

        table->mnuO->trigger();
        table->mnuHerpes->trigger();
        QVERIFY(shell->form6()->isVisible());
        QVERIFY(shell->form3()->isVisible());
        QVERIFY(table->isVisible());  // none of them is modal: the table stays usable
        QVERIFY(!QApplication::activeModalWidget());
    }

    void closedWindowIsCreatedAfresh_data()
    {
        QTest::addColumn<int>("form");
        QTest::newRow("last hero") << 3;
        QTest::newRow("how to play") << 5;
        QTest::newRow("about") << 6;
    }

    void closedWindowIsCreatedAfresh()
    {
        QFETCH(int, form);
        QTest::mouseClick(shell->form2()->Command1, Qt::LeftButton);
        Form1 *table = shell->form1();
        QAction *item = form == 3 ? table->mnuHerpes : form == 5 ? table->mnuK : table->mnuO;
        const auto instance = [&]() -> QWidget * {
            return form == 3 ? static_cast<QWidget *>(shell->form3())
                             : form == 5 ? static_cast<QWidget *>(shell->form5())
                                         : static_cast<QWidget *>(shell->form6());
        };

        const QString name = QStringLiteral("Form%1").arg(form);
        const auto texts = [](QWidget *w) {
            QStringList t;
            for (QLabel *l : w->findChildren<QLabel *>())
                t << l->objectName() + QLatin1Char('=') + l->text();
            return t;
        };

        item->trigger();
        QPointer<QWidget> first = instance();
        QVERIFY(first->isVisible());
        const QStringList content = texts(first);
        first->hide();  // hidden, it keeps existing
        item->trigger();
        QCOMPARE(instance(), first.data());

        QVERIFY(first->close());
        processDeferredDeletes();
        QVERIFY(first.isNull());
        QCOMPARE(countTopLevel(name), 0);
        QVERIFY(table->isVisible());  // closing a secondary window does not end the program

        item->trigger();
        QPointer<QWidget> second = instance();
        QVERIFY(second);
        QVERIFY(second->isVisible());
        QCOMPARE(texts(second), content);  // made afresh as it was made the first time
        QCOMPARE(countTopLevel(name), 1);
    }

    void exitEndsTheProgram()
    {
        QTest::mouseClick(shell->form2()->Command1, Qt::LeftButton);
        Form1 *table = shell->form1();
        table->mnuK->trigger();
        table->mnuHerpes->trigger();
        QCOMPARE(runUntilEnd([table] { table->mnuExit->trigger(); }), 0);
    }

    void closingTheTableEndsTheProgram()
    {
        QTest::mouseClick(shell->form2()->Command1, Qt::LeftButton);
        Form1 *table = shell->form1();
        table->mnuO->trigger();
        QCOMPARE(runUntilEnd([table] { table->close(); }), 0);
    }

    void closingRegistrationEndsTheProgram()
    {
        // Before OK nothing else could ever show the table window.
        Form2 *registration = shell->form2();
        QCOMPARE(runUntilEnd([registration] { registration->close(); }), 0);
    }

    void secondaryWindowsAloneDoNotEndTheProgram()
    {
        QTest::mouseClick(shell->form2()->Command1, Qt::LeftButton);
        shell->form1()->mnuK->trigger();
        QWidget *help = shell->form5();
        QCOMPARE(runUntilEnd([help] { help->close(); }, 300), 99);
    }
};

QTEST_MAIN(ShellTest)
#include "tst_shell.moc"
