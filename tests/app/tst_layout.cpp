// SPDX-License-Identifier: GPL-3.0-or-later
// The table and registration windows as a user sees them: every control where it belongs, with
// its caption, font, colour and flags, and no text clipped at its size.

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QtTest>

#include "TestSupport.h"
#include "WindowSupport.h"
#include "app/Shell.h"
#include "look/Look.h"
#include "registration/Form2.h"
#include "table/Form1.h"

using namespace zarviki;
using namespace zarviki::testing;

namespace {

struct Expected {
    const char *name;
    int left, top, width, height;
    QString text;
};

// The width a control needs to show its text unclipped.
int widthNeeded(QWidget *w, const QString &text)
{
    const QFontMetrics fm(w->font());
    if (qobject_cast<QCheckBox *>(w) || qobject_cast<QRadioButton *>(w)) {
        // The text's room is what the indicator and its spacing leave of the control.
        QStyleOptionButton option;
        option.initFrom(w);
        option.text = text;
        const auto element = qobject_cast<QCheckBox *>(w) ? QStyle::SE_CheckBoxContents : QStyle::SE_RadioButtonContents;
        const QRect room = w->style()->subElementRect(element, &option, w);
        return fm.horizontalAdvance(text) + (w->width() - room.width());
    }
    if (qobject_cast<QPushButton *>(w))
        return fm.horizontalAdvance(text) + 4;
    if (auto *l = qobject_cast<QLabel *>(w))
        return fm.horizontalAdvance(text) + 2 * l->margin();
    return fm.horizontalAdvance(text);
}

}  // namespace

class LayoutTest : public QObject, private testing::GameRun {
    Q_OBJECT
private:

    QWidget *find(QWidget *window, const char *name)
    {
        auto *w = window->findChild<QWidget *>(QString::fromLatin1(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }

    void checkControls(QWidget *window, const std::vector<Expected> &controls)
    {
        for (const Expected &c : controls) {
            QWidget *w = find(window, c.name);
            QCOMPARE(w->geometry(), twips(c.left, c.top, c.width, c.height));
            if (!c.text.isNull())
                QCOMPARE(textOf(w), c.text);
            const QString text = textOf(w);
            if (text.trimmed().isEmpty())
                continue;
            QVERIFY2(widthNeeded(w, text) <= w->width(),
                     qPrintable(QStringLiteral("%1 \"%2\" needs %3 px, has %4")
                                    .arg(QLatin1String(c.name), text)
                                    .arg(widthNeeded(w, text))
                                    .arg(w->width())));
            const QRect ink = QFontMetrics(w->font()).tightBoundingRect(text);
            QVERIFY2(ink.height() <= w->height(), c.name);
        }
    }

private slots:
    void initTestCase()
    {
        installGameLook();
        startRun();
        QVERIFY(QFontInfo(gameFont()).family().contains(QStringLiteral("Liberation Sans")));
    }

    void tableWindowFrame()
    {
        Form1 *f = shell->form1();
        QCOMPARE(f->windowTitle(), QStringLiteral("Зарвики"));
        QCOMPARE(f->centralWidget()->size(), QSize(518, 242));
        f->adjustSize();
        QCOMPARE(f->minimumSize(), f->maximumSize());
        QCOMPARE(f->size().height(), 242 + f->menuBar()->height());
        QVERIFY(!(f->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(f->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(f->windowFlags() & Qt::WindowCloseButtonHint);
    }

    void tableWindowControls()
    {
        Form1 *f = shell->form1();
        checkControls(f, {
                             {"Command1_0", 120, 1560, 615, 615, QString("")},
                             {"Command1_1", 960, 1560, 615, 615, QString("")},
                             {"Command1_2", 1800, 1560, 615, 615, QString("")},
                             {"Command1_3", 2640, 1560, 615, 615, QString("")},
                             {"Command1_4", 3480, 1560, 615, 615, QString("")},
                             {"Command2", 240, 2880, 1095, 375, QStringLiteral("Скинуть !")},
                             {"Frame1", 4440, 120, 3135, 855, QStringLiteral("Текущее значение")},
                             {"Command3", 1320, 2880, 1095, 375, QStringLiteral("Хватит !")},
                             {"Label1", 600, 360, 1815, 255, QStringLiteral("0")},
                             {"Frame2", 4440, 960, 3135, 1215, QStringLiteral("Счет")},
                             {"Label2", 240, 240, 1095, 255, QStringLiteral("User")},
                             {"Label3", 1800, 240, 975, 255, QStringLiteral("Компьютер")},
                             {"Label4", 240, 600, 1095, 255, QStringLiteral("0")},
                             {"Label5", 1680, 600, 1215, 255, QStringLiteral("0")},
                             {"Frame3", 4440, 2280, 3135, 1095, QStringLiteral("Общий счет")},
                             {"Command4", 2400, 2880, 1095, 375, QStringLiteral("Ход компа !")},
                             {"Label6", 1320, 360, 375, 615, QStringLiteral(":")},
                             {"Label7", 960, 360, 495, 615, QStringLiteral("0")},
                             {"Label8", 1800, 360, 495, 495, QStringLiteral("0")},
                             {"Label9", 3120, 600, 855, 255, QStringLiteral("Version 7.6")},
                             {"Label10", 600, 120, 3015, 495, QString("")},
                             {"Command5", 600, 720, 1815, 255, QStringLiteral("Сохронить результат")},
                         });
        // Texts the game writes later must fit too.
        Form1 *t = shell->form1();
        QVERIFY(widthNeeded(t->Label10, PlayerWonText()) <= t->Label10->width());
        QVERIFY(widthNeeded(t->Label10, QString::fromStdString(ComputerWon)) <= t->Label10->width());
        for (QPushButton *b : {t->Command2, t->Command3, t->Command4})
            for (const char *colloquial : {"Раздать", "Пас", "для IBM"})
                QVERIFY(widthNeeded(b, QString::fromUtf8(colloquial)) <= b->width());
        QVERIFY(widthNeeded(t->Label3, QStringLiteral("Железяка")) <= t->Label3->width());
        QVERIFY(QFontMetrics(t->Frame1->font()).horizontalAdvance(QStringLiteral("Лаве")) <= t->Frame1->width());
        QVERIFY(widthNeeded(t->Label4, QStringLiteral("105")) <= t->Label4->width());
    }

    static QString PlayerWonText() { return QString::fromStdString(PlayerWon); }

    void tableWindowLook()
    {
        Form1 *f = shell->form1();
        for (QPushButton *die : f->Command1) {
            QCOMPARE(die->font().weight(), QFont::Bold);
            QCOMPARE(die->font().pointSizeF(), 8.25);
        }
        const QColor red(255, 0, 0);
        for (QLabel *l : {f->Label1, f->Label4, f->Label5}) {
            QCOMPARE(l->font().weight(), QFont::Bold);
            QCOMPARE(l->palette().color(QPalette::WindowText), red);
            QVERIFY(l->alignment() & Qt::AlignHCenter);
        }
        QVERIFY(f->Label2->alignment() & Qt::AlignHCenter);
        QVERIFY(f->Label3->alignment() & Qt::AlignLeft);
        for (QLabel *l : {f->Label6, f->Label7, f->Label8})
            QCOMPARE(l->font().pointSizeF(), 24.0);
        QVERIFY(f->Label6->alignment() & Qt::AlignHCenter);
        QVERIFY(f->Label7->alignment() & Qt::AlignLeft);
        QCOMPARE(f->Label10->font().pointSizeF(), 13.5);
        QCOMPARE(f->Label10->font().weight(), QFont::Normal);
        QCOMPARE(f->Label10->palette().color(QPalette::WindowText), QColor(0, 0, 0));
        for (QWidget *w : {static_cast<QWidget *>(f->Label9), static_cast<QWidget *>(f->Command2),
                           static_cast<QWidget *>(f->Frame1), static_cast<QWidget *>(f->Command5)})
            QCOMPARE(w->font().pointSizeF(), 8.25);
        for (QFont font : {f->Command1[0]->font(), f->Label10->font(), f->Label9->font()})
            QCOMPARE(font.family(), GameFace);

        // Line1 runs down Frame2 between the two columns.
        QCOMPARE(f->Line1->parentWidget(), f->Frame2);
        QCOMPARE(f->Line1->x(), 104);
        QCOMPARE(f->Line1->y(), 16);
        QCOMPARE(f->Line1->y() + f->Line1->height() - 1, 72);
        for (QLabel *l : f->findChildren<QLabel *>())
            QCOMPARE(l->focusPolicy(), Qt::NoFocus);
    }

    void tableWindowStartState()
    {
        Form1 *f = shell->form1();
        for (QPushButton *die : f->Command1) {
            QVERIFY(die->isEnabled());
            QVERIFY(die->text().isEmpty());
        }
        QVERIFY(f->Command2->isEnabled());
        QVERIFY(f->Command3->isEnabled());
        QVERIFY(!f->Command4->isEnabled());
        QVERIFY(!f->Command5->isVisibleTo(f));
        QVERIFY(f->Timer1->interval() == 1);
    }

    void tableWindowMenus()
    {
        Form1 *f = shell->form1();
        const QList<QAction *> bar = f->menuBar()->actions();
        QCOMPARE(bar.size(), 2);
        QCOMPARE(bar[0]->text(), QStringLiteral("Файл"));
        QCOMPARE(bar[1]->text(), QStringLiteral("Помощ"));
        const QList<QAction *> file = f->mnuFile->actions();
        QCOMPARE(file.size(), 3);
        QCOMPARE(file[0], f->mnuHerpes);
        QCOMPARE(file[0]->text(), QStringLiteral("Последний герой"));
        QVERIFY(file[1]->isSeparator());
        QCOMPARE(file[2]->text(), QStringLiteral("Выход"));
        const QList<QAction *> help = f->mnuHelp->actions();
        QCOMPARE(help.size(), 3);
        QCOMPARE(help[0]->text(), QStringLiteral("Как играть ?"));
        QVERIFY(help[1]->isSeparator());
        QCOMPARE(help[2]->text(), QStringLiteral("О программе"));
        for (QAction *a : file + help)
            QVERIFY(a->shortcut().isEmpty());
    }

    void registrationWindow()
    {
        Form2 *r = shell->form2();
        QCOMPARE(r->windowTitle(), QStringLiteral("Регистрация"));
        QCOMPARE(r->size(), QSize(335, 223));
        QCOMPARE(r->minimumSize(), r->maximumSize());
        QVERIFY(!(r->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(r->windowFlags() & Qt::WindowMaximizeButtonHint));
        checkControls(r, {
                             {"Text1", 2205, 360, 2055, 285, QStringLiteral("User")},
                             {"Label1", 765, 360, 1095, 255, QStringLiteral("Введите имя")},
                             {"Command1", 2760, 2760, 735, 375, QStringLiteral("ОК")},
                             {"Label2", 465, 960, 1335, 255, QStringLiteral("Выберите язык")},
                             {"Label3", 1365, 1560, 2295, 255, QStringLiteral("Выберите уровень сложности")},
                             {"Check1", 1920, 960, 1095, 255, QStringLiteral("Русский")},
                             {"Check2", 3240, 960, 1575, 255, QStringLiteral("Разговорный")},
                             {"Option1", 3405, 2160, 855, 255, QStringLiteral("Крутой")},
                             {"Option3", 2025, 2160, 1095, 255, QStringLiteral("Бывалый")},
                             {"Option2", 765, 2160, 975, 255, QStringLiteral("Л@мер")},
                             {"Label5", 0, 3120, 1815, 255, QString()},
                         });
        QVERIFY(r->Label5->font().underline());
        QCOMPARE(r->Label5->font().pointSizeF(), 8.25);
        QVERIFY(!r->Label5->text().isEmpty());
        QCOMPARE(r->Command1->text().at(0).unicode(), 0x041E);  // Cyrillic "О"
        QVERIFY(!r->Command1->autoDefault() && !r->Command1->isDefault());

        QList<QWidget *> expected = {r->Text1, r->Command1, r->Check1, r->Check2, r->Option1, r->Option3, r->Option2};
        QWidget *w = r->Text1;
        for (int i = 1; i < expected.size(); ++i) {
            w = w->nextInFocusChain();
            while (!(w->focusPolicy() & Qt::TabFocus))
                w = w->nextInFocusChain();
            QCOMPARE(w, expected[i]);
        }
    }
};

QTEST_MAIN(LayoutTest)
#include "tst_layout.moc"
