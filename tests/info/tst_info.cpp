// SPDX-License-Identifier: GPL-3.0-or-later
// The how-to-play and about windows: every text to the character, where it stands and how it
// looks, that it fits its label, and how the help menu shows, hides and recreates the windows.

#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include "TestSupport.h"
#include "WindowSupport.h"
#include "app/Shell.h"
#include "info/Form5.h"
#include "info/Form6.h"
#include "look/Look.h"
#include "registration/Form2.h"
#include "table/Form1.h"

using namespace zarviki;

namespace {

QRect placeAt(int left, int top, int width, int height) { return twips(left, top, width, height); }

int advance(const QLabel *l) { return QFontMetrics(l->font()).horizontalAdvance(l->text()); }

// The controls of a window in its focus chain, starting after the window itself.
QStringList focusChain(QWidget *window)
{
    QStringList names;
    for (QWidget *w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain())
        names << w->objectName();
    return names;
}

QStringList focusTakers(QWidget *window)
{
    QStringList names;
    for (QWidget *w : window->findChildren<QWidget *>())
        if (w->focusPolicy() != Qt::NoFocus)
            names << w->objectName();
    return names;
}

const QString CyrillicOk = QString(QChar(0x041E)) + QChar(0x041A);

}  // namespace

class InfoTest : public QObject, private testing::GameRun {
    Q_OBJECT
private:

    Form1 *playing()
    {
        QTest::mouseClick(shell->form2()->Command1, Qt::LeftButton);
        return shell->form1();
    }
    Form5 *help()
    {
        playing()->mnuK->trigger();
        return shell->form5();
    }
    // The how-to-play window (5) or the about window (6), made by this call if it is not there.
    QWidget *instance(int form)
    {
        return form == 5 ? static_cast<QWidget *>(shell->form5()) : shell->form6();
    }
    Form6 *about()
    {
        playing()->mnuO->trigger();
        return shell->form6();
    }

private slots:
    void initTestCase() { installGameLook(); }
    void init() { startRun(); }
    void cleanup() { endRun(); }

    void helpText_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("characters");
        QTest::addColumn<QRect>("place");
        const auto row = [](int n, const char *text, int characters, QRect place) {
            QTest::addRow("Label%d", n) << n << QString::fromUtf8(text) << characters << place;
        };
        row(1, "Зарвики", 7, placeAt(2648, 120, 735, 255));
        row(2, "Сначала вы выбераете себе имя \"язык\" и уровень сложности.", 57, placeAt(120, 480, 4815, 255));
        row(3, "После это-", 10, placeAt(5040, 480, 855, 255));
        row(4, "го начинается игра. Вы нажимаете \"скинуть\"(если язык русский) и ко-", 67,
            placeAt(120, 720, 5775, 255));
        row(5, "мпьютер случайным оброзом выкидывает числа на кубиках. Вы нажимаете ", 68,
            placeAt(120, 960, 5895, 255));
        row(6, "на кудик и это число прибавляется к вашему текушему значению. Разуме", 68,
            placeAt(120, 1200, 5775, 255));
        row(7, "ется если кубик \"прозрачный\" то число не прибаляется. После этого если ", 71,
            placeAt(120, 1440, 5775, 255));
        row(8, "вы нажимаете \"хватит\" то вы \"сохраняете\" это значение (но можно и рис- ", 71,
            placeAt(120, 1680, 5775, 255));
        row(9, "нуть). Затем ходит компьютер. В нажимаете \"Ход  компа\" и для него так ", 70,
            placeAt(120, 1920, 5775, 255));
        row(10, "же выкидываются случайные значения. Первый кто соберет 100 балов ", 65, placeAt(120, 2160, 5895, 255));
        row(11, "получает одно очко. Игра идет до трех очков. Кто првый собрал, тот и ", 69,
            placeAt(120, 2400, 5895, 255));
        row(12, " победил.  После победы появиться кнопка \"сохронить результат\" если вы", 70,
            placeAt(120, 2640, 5775, 255));
        row(13, "Нажимаете её то сохроняете свою победу. Вы можите посмотреть имя", 64, placeAt(120, 2880, 5895, 255));
        row(14, "последнего побидителя , зайдя в файл \"Последний герой\". Вот и все!", 66,
            placeAt(120, 3120, 5775, 255));
        row(15, "Выйгрыш в этой игре зависит только от везения!", 46, placeAt(960, 3480, 3885, 195));
    }

    void helpText()
    {
        QFETCH(int, number);
        QFETCH(QString, text);
        QFETCH(int, characters);
        QFETCH(QRect, place);
        Form5 *page = help();
        QLabel *l = page->Label[number - 1];
        QCOMPARE(l->objectName(), QStringLiteral("Label%1").arg(number));
        QCOMPARE(page->findChild<QLabel *>(l->objectName()), l);
        QCOMPARE(l->text(), text);
        QCOMPARE(l->text().size(), characters);
        QCOMPARE(l->textFormat(), Qt::PlainText);
        QCOMPARE(l->alignment(), Qt::AlignLeft | Qt::AlignTop);
        QVERIFY(!l->wordWrap());
        QCOMPARE(l->focusPolicy(), Qt::NoFocus);

        QCOMPARE(l->y(), place.y());
        QCOMPARE(l->height(), place.height());
        if (number == 1) {
            // The heading stands centred across the window, at least as wide as laid out.
            QVERIFY(l->width() >= place.width());
            QVERIFY(qAbs(2 * l->x() + l->width() - page->width()) <= 1);
        } else if (number == 15) {
            // Sized to its text: it keeps Left and Top and grows to fit.
            QCOMPARE(l->x(), place.x());
            QVERIFY(l->width() >= place.width());
        } else {
            QCOMPARE(l->geometry(), place);
        }
        QVERIFY2(l->width() >= advance(l), qPrintable(QStringLiteral("%1 < %2").arg(l->width()).arg(advance(l))));
        QVERIFY(l->height() >= QFontMetrics(l->font()).height());
        QVERIFY(l->geometry().right() < page->width());  // whole lines, none cut at the window's edge
    }

    void helpLooks()
    {
        Form5 *page = help();
        QCOMPARE(page->windowTitle(), QStringLiteral("Как играть ?"));
        QCOMPARE(page->size(), QSize(px(6030), px(4230)));
        QCOMPARE(page->minimumSize(), page->maximumSize());

        const QFont heading = page->Label[0]->font();
        QCOMPARE(heading.family(), GameFace);
        QCOMPARE(heading.pointSizeF(), 9.75);
        QCOMPARE(heading.weight(), QFont::Bold);
        QVERIFY(!heading.italic());
        QCOMPARE(page->Label[0]->palette().color(QPalette::WindowText), QColor(255, 0, 0));

        const QFont moral = page->Label[14]->font();
        QCOMPARE(moral.family(), GameFace);
        QCOMPARE(moral.pointSizeF(), 8.25);
        QCOMPARE(moral.weight(), QFont::Normal);
        QVERIFY(moral.italic());
        QCOMPARE(page->Label[14]->palette().color(QPalette::WindowText), QColor(255, 128, 128));

        const QColor defaultText = QApplication::palette().color(QPalette::WindowText);
        for (int i = 1; i < 14; ++i) {
            const QFont f = page->Label[i]->font();
            QCOMPARE(f.family(), GameFace);
            QCOMPARE(f.pointSizeF(), 8.25);
            QCOMPARE(f.weight(), QFont::Normal);
            QVERIFY(!f.italic() && !f.underline());
            QCOMPARE(page->Label[i]->palette().color(QPalette::WindowText), defaultText);
        }
        // Rows 2 and 3 share the first line of the paragraph, side by side.
        QCOMPARE(page->Label[1]->y(), page->Label[2]->y());
        QVERIFY(page->Label[1]->geometry().right() < page->Label[2]->x());
    }

    void okButtons_data()
    {
        QTest::addColumn<int>("form");
        QTest::newRow("how to play") << 5;
        QTest::newRow("about") << 6;
    }

    void okButtons()
    {
        QFETCH(int, form);
        QWidget *window = form == 5 ? static_cast<QWidget *>(help()) : about();
        auto *ok = window->findChild<QPushButton *>(QStringLiteral("Command1"));
        QVERIFY(ok);
        QCOMPARE(ok->text(), CyrillicOk);
        QCOMPARE(ok->text(), QStringLiteral("ОК"));
        QVERIFY(!ok->autoDefault());
        QVERIFY(!ok->isDefault());
        if (form == 5) {
            QCOMPARE(ok->geometry().size(), placeAt(2648, 3840, 735, 255).size());
            QCOMPARE(ok->y(), px(3840));
            QVERIFY(qAbs(2 * ok->x() + ok->width() - window->width()) <= 1);
        } else {
            QCOMPARE(ok->geometry(), placeAt(3600, 120, 1335, 375));
        }

        // Only OK takes the focus; the labels come first in the tab order.
        QCOMPARE(focusTakers(window), QStringList{QStringLiteral("Command1")});
        const QStringList expectedChain = form == 5
            ? QStringList{"Label1", "Label2", "Label3", "Label4", "Label5", "Label6", "Label7", "Label8",
                          "Label9", "Label10", "Label11", "Label12", "Label13", "Label14", "Label15", "Command1"}
            : QStringList{"Label1", "Label2", "Label3", "Label4", "Label5", "Command1"};
        QCOMPARE(focusChain(window), expectedChain);

        // Escape and Return press nothing: there is no default and no cancel button.
        QVERIFY(window->isVisible());
        window->activateWindow();
        ok->setFocus();
        QTest::keyClick(window, Qt::Key_Escape);
        QVERIFY(window->isVisible());
        QTest::keyClick(window->findChild<QLabel *>(QStringLiteral("Label1")), Qt::Key_Return);
        QVERIFY(window->isVisible());

        // OK hides the window and does nothing else: the table window stays as it was.
        const TableState before = shell->form1()->state();
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(!window->isVisible());
        QVERIFY(shell->form1()->isVisible());
        QCOMPARE(shell->form1()->state(), before);
        QPointer<QWidget> kept = window;
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(kept);  // hidden, not destroyed
    }

    void windowFrames()
    {
        Form5 *page = help();
        Form6 *box = about();
        // The help page stands on its own with a taskbar entry; the about box is a dialog over the table.
        QVERIFY(!page->parentWidget());
        QCOMPARE(page->windowType(), Qt::Window);
        QCOMPARE(box->parentWidget(), shell->form1());
        QCOMPARE(box->windowType(), Qt::Dialog);
        for (QWidget *w : {static_cast<QWidget *>(page), static_cast<QWidget *>(box)}) {
            const Qt::WindowFlags f = w->windowFlags();
            QVERIFY(f.testFlag(Qt::WindowCloseButtonHint));
            QVERIFY(f.testFlag(Qt::WindowTitleHint));
            QVERIFY(!f.testFlag(Qt::WindowMinimizeButtonHint));
            QVERIFY(!f.testFlag(Qt::WindowMaximizeButtonHint));
            QCOMPARE(w->minimumSize(), w->maximumSize());
            QVERIFY(!w->isModal());
            QVERIFY(!QApplication::activeModalWidget());
        }
    }

    void aboutText_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QRect>("place");
        QTest::addColumn<bool>("sizedToText");
        QTest::newRow("Label1") << "Label1" << "О программе!" << placeAt(1350, 120, 1320, 240) << true;
        QTest::newRow("Label2") << "Label2" << "Зарвики (7.6) " << placeAt(1560, 480, 855, 195) << true;
        QTest::newRow("Label3") << "Label3" << QString() << placeAt(1080, 840, 1920, 195) << true;
        QTest::newRow("Label5") << "Label5" << "2002г." << placeAt(1560, 1200, 480, 195) << true;
        QTest::newRow("Label4") << "Label4" << QString() << placeAt(0, 1560, 2055, 255) << false;
    }

    void aboutText()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QRect, place);
        QFETCH(bool, sizedToText);
        Form6 *box = about();
        QCOMPARE(box->windowTitle(), QStringLiteral("О программе !"));
        QCOMPARE(box->size(), QSize(px(4995), px(1815)));
        auto *l = box->findChild<QLabel *>(name);
        QVERIFY(l);
        if (!text.isNull()) {
            QCOMPARE(l->text(), text);
            QCOMPARE(l->text().size(), text.size());
        } else {
            QVERIFY(!l->text().trimmed().isEmpty());
        }
        QCOMPARE(l->textFormat(), Qt::PlainText);
        QCOMPARE(l->alignment(), Qt::AlignLeft | Qt::AlignTop);
        QCOMPARE(l->focusPolicy(), Qt::NoFocus);
        QCOMPARE(l->pos(), place.topLeft());
        if (sizedToText) {
            QVERIFY(l->width() >= place.width());
            QVERIFY(l->height() >= place.height());
        } else {
            QCOMPARE(l->size(), place.size());
        }
        QVERIFY2(l->width() >= advance(l), qPrintable(QStringLiteral("%1 < %2").arg(l->width()).arg(advance(l))));
        QVERIFY(l->height() >= QFontMetrics(l->font()).height());
        QVERIFY(l->geometry().right() < box->width());
        QVERIFY(l->geometry().bottom() < box->height());
    }

    void aboutLooks()
    {
        Form6 *box = about();
        QCOMPARE(box->Label2->text(), QStringLiteral("Зарвики (7.6) "));
        QVERIFY(box->Label2->text().endsWith(QLatin1String("6) ")));
        const QFont heading = box->Label1->font();
        QCOMPARE(heading.family(), GameFace);
        QCOMPARE(heading.pointSizeF(), 9.75);
        QCOMPARE(heading.weight(), QFont::Normal);
        QVERIFY(!heading.italic());
        QCOMPARE(box->Label1->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        const QColor defaultText = QApplication::palette().color(QPalette::WindowText);
        for (QLabel *l : {box->Label2, box->Label3, box->Label4, box->Label5}) {
            QCOMPARE(l->font().pointSizeF(), 8.25);
            QCOMPARE(l->font().weight(), QFont::Normal);
            QVERIFY(!l->font().underline());
            QCOMPARE(l->palette().color(QPalette::WindowText), defaultText);
        }
        // The address is plain text: no link, and clicking it does nothing.
        QVERIFY(!box->Label4->openExternalLinks());
        QVERIFY(!box->Label4->textInteractionFlags().testFlag(Qt::LinksAccessibleByMouse));
        const qsizetype windowsBefore = QApplication::topLevelWidgets().size();
        QTest::mouseClick(box->Label4, Qt::LeftButton);
        QVERIFY(box->isVisible());
        QCOMPARE(QApplication::topLevelWidgets().size(), windowsBefore);
        QVERIFY(!box->Label4->text().contains(QLatin1Char('<')));
    }

    void helpIsTheSameInBothModes()
    {
        // Captured in plain mode, then again on a fresh run switched to colloquial before OK.
        QStringList plain;
        for (QLabel *l : help()->Label)
            plain << l->text();
        endRun();
        startRun();
        Form2 *r = shell->form2();
        QTest::mouseClick(r->Check2, Qt::LeftButton, {}, QPoint(8, r->Check2->height() / 2));
        Form5 *page = help();
        QCOMPARE(shell->form1()->state().Command2.Caption, std::string("Раздать"));
        QStringList colloquial;
        for (QLabel *l : page->Label)
            colloquial << l->text();
        QCOMPARE(colloquial, plain);
        // The page still names the buttons by their plain captions.
        const QString all = colloquial.join(QString());
        QVERIFY(all.contains(QStringLiteral("\"скинуть\"")));
        QVERIFY(all.contains(QStringLiteral("\"хватит\"")));
        QVERIFY(all.contains(QStringLiteral("\"Ход  компа\"")));
        QVERIFY(!all.contains(QStringLiteral("Раздать")) && !all.contains(QStringLiteral("Пас")));
    }

    void menuChosenTwiceShowsOneWindow_data() { okButtons_data(); }

    void menuChosenTwiceShowsOneWindow()
    {
        QFETCH(int, form);
        Form1 *table = playing();
        QAction *item = form == 5 ? table->mnuK : table->mnuO;
        const QString name = QStringLiteral("Form%1").arg(form);
        item->trigger();
        QWidget *first = instance(form);
        const QRect where = first->geometry();
        item->trigger();
        QCOMPARE(instance(form), first);
        QVERIFY(first->isVisible());
        QCOMPARE(first->geometry(), where);
        QCOMPARE(testing::countTopLevel(name), 1);
        QCOMPARE(first->findChildren<QLabel *>().size(), form == 5 ? 15 : 5);

        // Hidden by OK, the same window comes back on the next choice.
        QTest::mouseClick(first->findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
        QVERIFY(!first->isVisible());
        item->trigger();
        QCOMPARE(instance(form), first);
        QVERIFY(first->isVisible());
        QCOMPARE(testing::countTopLevel(name), 1);
    }
};

QTEST_MAIN(InfoTest)
#include "tst_info.moc"
