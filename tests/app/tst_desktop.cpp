// SPDX-License-Identifier: GPL-3.0-or-later
// The game as a desktop program: what `cmake --install` puts where, the desktop entry, the catalogue
// entry, the icon on every window, the keyboard ways through the windows and their menus, and what a
// screen reader hears of every control.

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include "TestSupport.h"
#include "WindowSupport.h"
#include "app/Icon.h"
#include "app/Look.h"
#include "app/Windows.h"
#include "halloffame/Form3.h"
#include "halloffame/Form4.h"
#include "info/Form5.h"
#include "info/Form6.h"
#include "registration/Form2.h"
#include "table/Form1.h"

using namespace zarviki;
using namespace zarviki::testing;
using testing::face;
using testing::takeable;
using testing::untakeable;

namespace {

const QString DesktopFile = QStringLiteral("share/applications/org.example.zarviki.desktop");
const QString IconFile = QStringLiteral("share/icons/hicolor/scalable/apps/org.example.zarviki.svg");
const QString MetainfoFile = QStringLiteral("share/metainfo/org.example.zarviki.metainfo.xml");
const QString GameFile = QStringLiteral("games/zarviki");  // a games folder, as Debian has it
const QString ManualPage = QStringLiteral("share/man/man6/zarviki.6");
const QString RussianManualPage = QStringLiteral("share/man/ru/man6/zarviki.6");

// The [Desktop Entry] group of a desktop entry file, key by key.
QMap<QString, QString> desktopEntry(const QString &path)
{
    QMap<QString, QString> keys;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return keys;
    bool inGroup = false;
    while (!f.atEnd()) {
        const QString line = QString::fromUtf8(f.readLine()).trimmed();
        if (line.startsWith(u'['))
            inGroup = line == QStringLiteral("[Desktop Entry]");
        else if (inGroup && line.contains(u'=') && !line.startsWith(u'#'))
            keys.insert(line.section(u'=', 0, 0), line.section(u'=', 1));
    }
    return keys;
}

struct ToolRun {
    int exitCode = -1;
    QString output;
};

ToolRun runTool(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    ToolRun run;
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = p.exitCode();
    run.output = QString::fromUtf8(p.readAll());
    return run;
}

// The die of the scalable icon: its face square and its pips, in the SVG's own units.
struct SvgDie {
    QSizeF viewBox;
    QRectF face;
    QColor pipColour;
    QList<QPointF> pips;
    double pipRadius = 0;
};

SvgDie readSvgDie(const QString &path)
{
    SvgDie die;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return die;
    QXmlStreamReader xml(&f);
    QColor groupFill;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        const auto num = [&a](const char *name) { return a.value(QLatin1String(name)).toDouble(); };
        if (xml.name() == u"svg") {
            const QStringList box = a.value(QLatin1String("viewBox")).toString().split(u' ');
            if (box.size() == 4)
                die.viewBox = QSizeF(box[2].toDouble(), box[3].toDouble());
        } else if (xml.name() == u"rect" && a.value(QLatin1String("fill")).startsWith(u"url(")) {
            die.face = QRectF(num("x"), num("y"), num("width"), num("height"));
        } else if (xml.name() == u"g") {
            groupFill = QColor(a.value(QLatin1String("fill")).toString());
        } else if (xml.name() == u"circle") {
            die.pips << QPointF(num("cx"), num("cy"));
            die.pipRadius = num("r");
            die.pipColour = a.hasAttribute(QLatin1String("fill")) ? QColor(a.value(QLatin1String("fill")).toString()) : groupFill;
        }
    }
    return xml.hasError() ? SvgDie{} : die;
}

bool near(QColor a, QColor b, int tolerance = 24)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
           && std::abs(a.blue() - b.blue()) <= tolerance && std::abs(a.alpha() - b.alpha()) <= tolerance;
}

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

class DesktopTest : public QObject {
    Q_OBJECT
private:
    testing::ScriptedChance chance;
    testing::FixedClock clock;
    std::unique_ptr<Windows> windows;
    int programEnds = 0;
    QTemporaryDir prefix;

    Form1 *showTable()
    {
        windows->form2()->Command1->click();
        Form1 *table = windows->form1();
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

        QVERIFY(prefix.isValid());
        const ToolRun install = runTool(QStringLiteral(ZARVIKI_CMAKE),
                                        {QStringLiteral("--install"), QStringLiteral(ZARVIKI_BUILD_DIR),
                                         QStringLiteral("--prefix"), prefix.path()});
        QVERIFY2(install.exitCode == 0, qPrintable(install.output));
    }

    void init()
    {
        chance = {};
        programEnds = 0;
        windows = std::make_unique<Windows>(chance, clock);
        windows->endProgram = [this] { ++programEnds; };
        windows->start();
    }

    void cleanup()
    {
        for (QWidget *popup = QApplication::activePopupWidget(); popup; popup = QApplication::activePopupWidget())
            popup->close();
        windows.reset();
        processDeferredDeletes();
    }

    // --- What the installation holds ---

    void installPutsFilesUnderStandardPrefixes()
    {
        const QDir root(prefix.path());
        const QFileInfo game(root.filePath(GameFile));
        QVERIFY(game.isFile() && game.isExecutable());
        for (const QString &file : {DesktopFile, IconFile, MetainfoFile, ManualPage, RussianManualPage})
            QVERIFY2(QFileInfo(root.filePath(file)).isFile(), qPrintable(file));
    }

    // The menu entry names the game by the path it was installed to, whatever the prefix, and lets
    // the desktop tie the game's window (WM_CLASS "zarviki", from its application name) to it.
    void desktopEntryStartsTheGame()
    {
        const QMap<QString, QString> entry = desktopEntry(QDir(prefix.path()).filePath(DesktopFile));
        QCOMPARE(entry.value(QStringLiteral("Type")), QStringLiteral("Application"));
        QCOMPARE(entry.value(QStringLiteral("Name")), QStringLiteral("Зарвики"));
        QCOMPARE(entry.value(QStringLiteral("Exec")), QDir(prefix.path()).filePath(GameFile));
        QCOMPARE(entry.value(QStringLiteral("StartupNotify")), QStringLiteral("true"));
        QCOMPARE(entry.value(QStringLiteral("StartupWMClass")), QStringLiteral("zarviki"));
        QCOMPARE(entry.value(QStringLiteral("Icon")), DesktopId);
        QCOMPARE(entry.value(QStringLiteral("Categories")), QStringLiteral("Game;BoardGame;"));
        QCOMPARE(entry.value(QStringLiteral("Terminal")), QStringLiteral("false"));
    }

    void desktopEntryValidates()
    {
        const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        if (validator.isEmpty())
            QSKIP("desktop-file-validate is not installed (Debian: desktop-file-utils)");
        const ToolRun run = runTool(validator, {QDir(prefix.path()).filePath(DesktopFile)});
        QVERIFY2(run.exitCode == 0 && run.output.trimmed().isEmpty(), qPrintable(run.output));
    }

    void metainfoValidates()
    {
        const QString validator = QStandardPaths::findExecutable(QStringLiteral("appstreamcli"));
        if (validator.isEmpty())
            QSKIP("appstreamcli is not installed (Debian: appstream)");
        const ToolRun run = runTool(validator, {QStringLiteral("validate"), QStringLiteral("--no-net"),
                                                QStringLiteral("--pedantic"),
                                                QDir(prefix.path()).filePath(MetainfoFile)});
        QVERIFY2(run.exitCode == 0, qPrintable(run.output));
    }

    void metainfoNamesTheEntryAndThisVersion()
    {
        QFile f(QDir(prefix.path()).filePath(MetainfoFile));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&f);
        QMap<QString, QString> found;
        QStringList releases;
        QStringList urls;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == u"release") {
                releases << xml.attributes().value(QLatin1String("version")).toString();
            } else if (xml.name() == u"url") {
                urls << xml.attributes().value(QLatin1String("type")).toString();
            } else if (xml.attributes().value(QLatin1String("xml:lang")).isEmpty()) {
                const QString element = xml.name().toString();
                if (element == u"id" || element == u"launchable" || element == u"binary" || element == u"icon"
                    || element == u"project_license")
                    found.insert(element, xml.readElementText());
            }
        }
        QVERIFY(!xml.hasError());
        QCOMPARE(found.value(QStringLiteral("id")), DesktopId);
        QCOMPARE(found.value(QStringLiteral("launchable")), DesktopId + QStringLiteral(".desktop"));
        QCOMPARE(found.value(QStringLiteral("icon")), DesktopId);
        QCOMPARE(found.value(QStringLiteral("binary")), QStringLiteral("zarviki"));
        QCOMPARE(found.value(QStringLiteral("project_license")), QStringLiteral("GPL-3.0-or-later"));
        QVERIFY(!releases.isEmpty());
        QCOMPARE(releases.first(), QStringLiteral(ZARVIKI_VERSION));  // the newest release comes first
        for (const char *type : {"homepage", "bugtracker", "help"})
            QVERIFY2(urls.contains(QLatin1String(type)), type);
    }

    void manualPagesRender_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QStringList>("sections");
        QTest::newRow("English") << ManualPage
                                 << QStringList{"NAME", "SYNOPSIS", "DESCRIPTION", "FILES", "SEE ALSO"};
        QTest::newRow("Russian") << RussianManualPage
                                 << QStringList{"ИМЯ", "ОБЗОР", "ОПИСАНИЕ", "ФАЙЛЫ", "СМОТРИТЕ ТАКЖЕ"};
    }

    // Each page formats without a single complaint from groff, in the usual sections, and tells
    // where the hall of fame lives.
    void manualPagesRender()
    {
        QFETCH(QString, page);
        QFETCH(QStringList, sections);
        const QString man = QStandardPaths::findExecutable(QStringLiteral("man"));
        if (man.isEmpty())
            QSKIP("man is not installed (Debian: man-db)");
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        env.insert(QStringLiteral("MANWIDTH"), QStringLiteral("80"));
        p.setProcessEnvironment(env);
        p.start(man, {QStringLiteral("--warnings"), QStringLiteral("-E"), QStringLiteral("UTF-8"), QStringLiteral("-l"),
                      QDir(prefix.path()).filePath(page)});
        QVERIFY(p.waitForFinished(60000));
        const QString errors = QString::fromUtf8(p.readAllStandardError());
        QVERIFY2(p.exitCode() == 0 && errors.isEmpty(), qPrintable(errors));
        const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(u'\n');
        for (const QString &section : sections)
            QVERIFY2(lines.contains(section), qPrintable(section));
        QVERIFY(lines.contains(QStringLiteral("       $XDG_DATA_HOME/zarviki/имя")));
    }

    // --- The icon ---

    void windowIconIsTheDieOfTheScalableIcon()
    {
        const SvgDie svg = readSvgDie(QDir(prefix.path()).filePath(IconFile));
        QCOMPARE(svg.viewBox, QSizeF(64, 64));
        QCOMPARE(svg.pips.size(), 5);
        QVERIFY(svg.face.isValid());

        const QImage painted = gameIcon().pixmap(QSize(64, 64), 1.0).toImage();
        QCOMPARE(painted.size(), QSize(64, 64));
        for (const QPointF &pip : svg.pips) {
            QVERIFY2(near(painted.pixelColor(pip.toPoint()), svg.pipColour), "a pip of the icon is missing");
            const QPoint besidePip = (pip + QPointF(svg.pipRadius + 2, 0)).toPoint();
            QVERIFY2(painted.pixelColor(besidePip).lightness() > 200, "a pip of the icon is too large");
        }
        QVERIFY(painted.pixelColor(svg.face.center().toPoint() + QPoint(0, 12)).lightness() > 200);
        QCOMPARE(painted.pixelColor(0, 0).alpha(), 0);                // round corners: transparent outside
        QCOMPARE(painted.pixelColor(63, 0).alpha(), 0);
        QVERIFY(painted.pixelColor(svg.face.topLeft().toPoint() + QPoint(0, 26)).lightness() < 120);  // outline
    }

    void iconIsSharpAtEveryScale()
    {
        const QIcon icon = gameIcon();
        QVERIFY(!icon.availableSizes().isEmpty());
        for (qreal scale : {1.0, 1.5, 2.0, 3.0}) {
            const QPixmap pm = icon.pixmap(QSize(32, 32), scale);
            QCOMPARE(pm.size(), QSize(32, 32) * scale);
            QCOMPARE(pm.devicePixelRatio(), scale);
        }
    }

    void everyWindowShowsTheIcon()
    {
        const QImage expected = gameIcon().pixmap(QSize(48, 48), 1.0).toImage();
        Form1 *table = windows->form1();
        QWidget *all[] = {table, windows->form2(), windows->form3(), windows->form4(), windows->form5(),
                          windows->form6()};
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
        Form2 *r = windows->form2();
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
        Form2 *r = windows->form2();
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
        Form2 *r = windows->form2();
        r->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(r));
        r->Check2->setFocus();
        key(Qt::Key_Space);
        QVERIFY(r->Check2->isChecked());
        QVERIFY(!r->Check1->isChecked());  // the box's click handling ran for the key
        QCOMPARE(windows->form1()->state().Label3.Caption, std::string("Железяка"));
        r->Option1->setFocus();
        key(Qt::Key_Space);
        QVERIFY(r->Option1->isChecked() && !r->Option3->isChecked());
        r->Command1->setFocus();
        key(Qt::Key_Space);
        QVERIFY(windows->form1()->isVisible());
        QVERIFY(!r->isVisible());

        Form1 *table = windows->form1();
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
        QWidget *expected = shown == QStringLiteral("Form3")   ? static_cast<QWidget *>(windows->form3())
                            : shown == QStringLiteral("Form5") ? static_cast<QWidget *>(windows->form5())
                                                               : static_cast<QWidget *>(windows->form6());
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
        QVERIFY(!windows->form3()->isVisible());
        QCOMPARE(programEnds, 0);
    }

    void keyboardWaysChangeNoCaption()
    {
        Form1 *table = windows->form1();
        const QRegularExpression mnemonic(QStringLiteral("&"));
        for (QAction *a : table->findChildren<QAction *>()) {
            QVERIFY2(!a->text().contains(mnemonic), qPrintable(a->text()));
            QVERIFY(a->shortcut().isEmpty());
        }
        for (QAbstractButton *b : table->findChildren<QAbstractButton *>() + windows->form2()->findChildren<QAbstractButton *>())
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
        QWidget *w = window == QStringLiteral("Form1") ? static_cast<QWidget *>(windows->form1())
                                                        : static_cast<QWidget *>(windows->form2());
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
        for (QWidget *window : {static_cast<QWidget *>(windows->form1()), static_cast<QWidget *>(windows->form2())})
            for (QWidget *c : window->findChildren<QWidget *>())
                controls += controlName.match(c->objectName()).hasMatch();
        QCOMPARE(controls, 22 + 11);
    }

    void menusAreNamed()
    {
        Form1 *table = windows->form1();
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
