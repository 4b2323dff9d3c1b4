// SPDX-License-Identifier: GPL-3.0-or-later
// The game keeps its own look on any desktop. What a platform theme sets, before the windows exist or
// while they are open (another application font at 14 pt, per-class fonts for buttons and labels, a
// dark palette), changes no control's font or text colour and not one pixel of any window; and no
// window is ever maximised.

#include <QApplication>
#include <QWindow>
#include <QtTest>
#include <memory>

#include "TestSupport.h"
#include "WindowSupport.h"
#include "app/Shell.h"
#include "halloffame/Form3.h"
#include "halloffame/Form4.h"
#include "info/Form5.h"
#include "info/Form6.h"
#include "look/Look.h"
#include "registration/Form2.h"
#include "table/Form1.h"

using namespace zarviki;
using namespace zarviki::testing;

namespace {

// What a control shows of its look: its font and the colours its text is drawn in.
struct ControlLook {
    QString name;
    QFont font;
    QColor windowText, buttonText, text;
    bool operator==(const ControlLook &) const = default;
};

// A control of the window or of its menus; the windows it owns (the winner and about windows of the
// table window) are windows of their own.
bool belongsTo(QWidget *w, QWidget *window)
{
    for (QWidget *p = w; p != window; p = p->parentWidget())
        if (p->isWindow() && p->windowType() != Qt::Popup)
            return false;
    return true;
}

QList<ControlLook> looksOf(QWidget *window)
{
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.prepend(window);
    QList<ControlLook> looks;
    for (QWidget *w : widgets) {
        if (!belongsTo(w, window))
            continue;
        const QPalette &p = w->palette();
        looks.append({w->objectName(), w->font(), p.color(QPalette::WindowText), p.color(QPalette::ButtonText),
                      p.color(QPalette::Text)});
    }
    return looks;
}

// The six windows of one run, created by the shell as the game creates them.
struct Run : private GameRun {
    Run() { startRun([] {}); }
    ~Run() { endRun(); }
    QWidget *window(int which)
    {
        switch (which) {
        case 1: return shell->form1();
        case 2: return shell->form2();
        case 3: return shell->form3();
        case 4: return shell->form4();
        case 5: return shell->form5();
        default: return shell->form6();
        }
    }
};

// What a dark desktop with a large, spaced-out serif font does to a Qt program.
void wearDarkDesktopTheme()
{
    QFont large(QStringLiteral("DejaVu Serif"), 14);
    large.setLetterSpacing(QFont::PercentageSpacing, 150);
    large.setCapitalization(QFont::AllUppercase);
    large.setStrikeOut(true);
    QApplication::setFont(large);
    QApplication::setFont(large, "QPushButton");
    QApplication::setFont(large, "QLabel");
    QApplication::setPalette(QPalette(QColor(53, 53, 53), QColor(42, 42, 42)));
}

const QColor FaceGrey(212, 208, 200);

}  // namespace

class LookTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<Run> before;  // its windows exist before the theme comes
    std::unique_ptr<Run> after;   // its windows are made under the theme
    QMap<int, QImage> plainPictures;
    QMap<int, QList<ControlLook>> plainLooks;

private slots:
    void initTestCase()
    {
        installGameLook();
        before = std::make_unique<Run>();
        for (int which = 1; which <= 6; ++which) {
            plainPictures[which] = before->window(which)->grab().toImage();
            plainLooks[which] = looksOf(before->window(which));
        }
        wearDarkDesktopTheme();
        after = std::make_unique<Run>();
    }

    void sameLookOnADarkDesktop_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<bool>("madeUnderTheme");
        const char *names[] = {"table", "registration", "last hero", "winner", "how to play", "about"};
        for (int which = 1; which <= 6; ++which) {
            QTest::addRow("%s, open when the theme came", names[which - 1]) << which << false;
            QTest::addRow("%s, made under the theme", names[which - 1]) << which << true;
        }
    }

    void sameLookOnADarkDesktop()
    {
        QFETCH(int, which);
        QFETCH(bool, madeUnderTheme);
        QWidget *window = (madeUnderTheme ? after : before)->window(which);

        const QList<ControlLook> looks = looksOf(window);
        QCOMPARE(looks.size(), plainLooks[which].size());
        for (qsizetype i = 0; i < looks.size(); ++i)
            QVERIFY2(looks[i] == plainLooks[which][i], qPrintable(looks[i].name));

        const QImage picture = window->grab().toImage();
        QCOMPARE(picture.pixelColor(picture.width() - 1, picture.height() - 1), FaceGrey);
        QCOMPARE(picture, plainPictures[which]);
        QCOMPARE(window->palette().color(QPalette::WindowText), QColor(Qt::black));
    }

    // A title bar drawn by Qt itself (on Wayland) offers to maximise any window; none takes it.
    void noWindowIsMaximised_data()
    {
        QTest::addColumn<int>("which");
        for (int which = 1; which <= 6; ++which)
            QTest::addRow("Form%d", which) << which;
    }

    void noWindowIsMaximised()
    {
        QFETCH(int, which);
        QWidget *window = before->window(which);
        const QSize size = window->size();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        window->windowHandle()->setWindowStates(Qt::WindowMaximized);
        QTRY_COMPARE(window->windowHandle()->windowStates(), Qt::WindowNoState);
        QCOMPARE(window->size(), size);
        QVERIFY(!window->isMaximized());
    }
};

QTEST_MAIN(LookTest)
#include "tst_look.moc"
