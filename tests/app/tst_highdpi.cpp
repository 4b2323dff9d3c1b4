// SPDX-License-Identifier: GPL-3.0-or-later
// The windows on a high-density screen (run by CTest at QT_SCALE_FACTOR=2, and at 1 to compare):
// every window scales as a whole, keeps its size in device-independent pixels, and no text of the
// table or registration window is cut off, in any state the game puts them in.

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOption>
#include <QtTest>

#include "TestSupport.h"
#include "WindowSupport.h"
#include "app/Shell.h"
#include "halloffame/Form3.h"
#include "halloffame/Form4.h"
#include "info/Form5.h"
#include "info/Form6.h"
#include "look/Look.h"
#include "rules/Colloquial.h"
#include "registration/Form2.h"
#include "table/Form1.h"

using namespace zarviki;
using namespace zarviki::testing;

namespace {

qreal scaleFactor()
{
    bool ok = false;
    const qreal s = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&ok);
    return ok ? s : 1.0;
}

// Where a text fits, and where it is drawn, inside a control.
struct TextRoom {
    QString text;
    QRect room;
    QFont font;
};

TextRoom roomOf(QWidget *w)
{
    if (auto *l = qobject_cast<QLabel *>(w)) {
        const int m = l->margin();
        return {l->text(), l->contentsRect().adjusted(m, m, -m, -m), l->font()};
    }
    if (auto *b = qobject_cast<QPushButton *>(w)) {
        QStyleOptionButton opt;
        opt.initFrom(b);
        opt.text = b->text();
        opt.features = b->autoDefault() ? QStyleOptionButton::AutoDefaultButton : QStyleOptionButton::None;
        return {b->text(), b->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, b), b->font()};
    }
    if (auto *b = qobject_cast<QCheckBox *>(w)) {
        QStyleOptionButton opt;
        opt.initFrom(b);
        opt.text = b->text();
        return {b->text(), b->style()->subElementRect(QStyle::SE_CheckBoxContents, &opt, b), b->font()};
    }
    if (auto *b = qobject_cast<QRadioButton *>(w)) {
        QStyleOptionButton opt;
        opt.initFrom(b);
        opt.text = b->text();
        return {b->text(), b->style()->subElementRect(QStyle::SE_RadioButtonContents, &opt, b), b->font()};
    }
    if (auto *g = qobject_cast<QGroupBox *>(w)) {
        // The title is drawn along the top border, inside the frame's own width.
        QStyleOptionGroupBox opt;
        opt.initFrom(g);
        opt.text = g->title();
        opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect label = g->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, g);
        QRect room = g->rect();
        room.setLeft(label.left());
        room.setHeight(label.height());
        return {g->title(), room, g->font()};
    }
    if (auto *e = qobject_cast<QLineEdit *>(w)) {
        const QMargins m = e->textMargins();
        constexpr int lineEditSideMargin = 2;  // what QLineEdit keeps free on each side of its text
        return {e->text(), e->contentsRect().adjusted(m.left() + lineEditSideMargin, m.top(), -m.right() - lineEditSideMargin, -m.bottom()), e->font()};
    }
    return {};
}

// Each window's client area in twips.
struct ClientSize {
    const char *window;
    int width;
    int height;
};
const ClientSize Clients[] = {{"Form1", 7770, 3630}, {"Form2", 5025, 3345}, {"Form3", 5235, 1635},
                              {"Form4", 5175, 1560}, {"Form5", 6030, 4230}, {"Form6", 4995, 1815}};

// A few controls of the table and registration windows, placed in twips.
struct Placed {
    const char *window;
    const char *control;
    int left, top, width, height;
};
const Placed Controls[] = {
    {"Form1", "Command1_0", 120, 1560, 615, 615},  {"Form1", "Command1_4", 3480, 1560, 615, 615},
    {"Form1", "Command2", 240, 2880, 1095, 375},   {"Form1", "Command4", 2400, 2880, 1095, 375},
    {"Form1", "Frame2", 4440, 960, 3135, 1215},    {"Form1", "Label5", 1680, 600, 1215, 255},
    {"Form1", "Label7", 960, 360, 495, 615},       {"Form1", "Label10", 600, 120, 3015, 495},
    {"Form2", "Text1", 2205, 360, 2055, 285},      {"Form2", "Command1", 2760, 2760, 735, 375},
    {"Form2", "Label3", 1365, 1560, 2295, 255},    {"Form2", "Check2", 3240, 960, 1575, 255},
    {"Form2", "Option2", 765, 2160, 975, 255},     {"Form2", "Label5", 0, 3120, 1815, 255},
};

}  // namespace

class HighDpiTest : public QObject, private testing::GameRun {
    Q_OBJECT
private:

    QWidget *window(const QString &name)
    {
        if (name == u"Form1")
            return shell->form1();
        if (name == u"Form2")
            return shell->form2();
        if (name == u"Form3")
            return shell->form3();
        if (name == u"Form4")
            return shell->form4();
        if (name == u"Form5")
            return shell->form5();
        return shell->form6();
    }

    // The part of a window whose size the layout gives: below the table window's menu bar.
    static QWidget *client(QWidget *w)
    {
        if (auto *table = qobject_cast<Form1 *>(w))
            return table->centralWidget();
        return w;
    }

private slots:
    void initTestCase()
    {
        installGameLook();
        qInfo("scale factor %g", scaleFactor());
    }

    void init()
    {
        startRun([] {});
    }

    void cleanup() { endRun(); }

    void windowScalesAsAWhole_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("clientTwips");
        for (const ClientSize &c : Clients)
            QTest::newRow(c.window) << QString::fromLatin1(c.window) << QSize(c.width, c.height);
    }

    void windowScalesAsAWhole()
    {
        QFETCH(QString, name);
        QFETCH(QSize, clientTwips);
        QWidget *w = window(name);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QCOMPARE(w->devicePixelRatio(), scaleFactor());
        QCOMPARE(w->windowHandle()->devicePixelRatio(), scaleFactor());

        // The same size in device-independent pixels as on a plain screen, and fixed.
        QCOMPARE(client(w)->size(), QSize(px(clientTwips.width()), px(clientTwips.height())));
        QCOMPARE(w->minimumSize(), w->maximumSize());

        // What is drawn has the scale's number of device pixels, every one of them painted.
        const QPixmap drawn = w->grab();
        QCOMPARE(drawn.devicePixelRatio(), scaleFactor());
        QCOMPARE(drawn.size(), w->size() * scaleFactor());
        const QImage image = drawn.toImage();
        const QPoint farCorner(image.width() - 1, image.height() - 1);
        QCOMPARE(image.pixelColor(farCorner).alpha(), 255);
    }

    void controlsKeepTheirPlaces_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QRect>("placeTwips");
        for (const Placed &c : Controls)
            QTest::addRow("%s.%s", c.window, c.control) << QString::fromLatin1(c.window)
                                                        << QString::fromLatin1(c.control)
                                                        << QRect(c.left, c.top, c.width, c.height);
    }

    void controlsKeepTheirPlaces()
    {
        QFETCH(QString, name);
        QFETCH(QString, control);
        QFETCH(QRect, placeTwips);
        QWidget *w = window(name);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QWidget *c = w->findChild<QWidget *>(control);
        QVERIFY(c);
        QCOMPARE(c->geometry(), twips(placeTwips.x(), placeTwips.y(), placeTwips.width(), placeTwips.height()));
    }

    void everyTextFits_data()
    {
        QTest::addColumn<QString>("state");
        for (const char *state : {"start", "colloquial", "player won", "computer won", "big numbers", "thrown"})
            QTest::newRow(state) << QString::fromLatin1(state);
    }

    void everyTextFits()
    {
        QFETCH(QString, state);
        Form1 *table = shell->form1();
        Form2 *registration = shell->form2();
        if (state == u"colloquial") {
            QTest::mouseClick(registration->Check2, Qt::LeftButton, {}, QPoint(5, registration->Check2->height() / 2));
            QVERIFY(registration->Check2->isChecked());
            QCOMPARE(table->state().Label3.Caption, std::string("Железяка"));
        } else if (state == u"player won") {
            table->change([](TableState &s) {
                s.Label7.Caption = "2";
                s.Label4.Caption = "101";
            });
            QTRY_COMPARE(table->Label10->text(), QStringLiteral("Ты ПОБЕДИЛ!"));
        } else if (state == u"computer won") {
            table->change([](TableState &s) {
                s.Label8.Caption = "2";
                s.Label5.Caption = "101";
            });
            QTRY_COMPARE(table->Label10->text(), QStringLiteral("Победил  компьютер !"));
        } else if (state == u"big numbers") {
            table->change([](TableState &s) {
                s.Label1.Caption = "100";
                s.Label4.Caption = "100";
                s.Label5.Caption = "100";
            });
        } else if (state == u"thrown") {
            chance.queueThrow({testing::face(5), testing::face(4), testing::face(3), testing::face(2), testing::face(1)},
                              {testing::takeable, testing::takeable, testing::untakeable, testing::takeable,
                               testing::takeable});
            table->Command2->click();
            table->Command1[0]->click();
            QTRY_COMPARE(table->Command1[0]->text(), QStringLiteral("X"));
        }
        registration->show();
        table->show();
        QVERIFY(QTest::qWaitForWindowExposed(table));
        QVERIFY(QTest::qWaitForWindowExposed(registration));

        int checked = 0;
        for (QWidget *w : {static_cast<QWidget *>(table), static_cast<QWidget *>(registration)}) {
            for (QWidget *c : w->findChildren<QWidget *>()) {
                if (!c->isVisibleTo(w))
                    continue;
                const TextRoom r = roomOf(c);
                if (r.text.isEmpty())
                    continue;
                ++checked;
                const QFontMetrics fm(r.font, c);
                const QString where = QStringLiteral("%1.%2 \"%3\"").arg(w->objectName(), c->objectName(), r.text);
                const int advance = fm.horizontalAdvance(r.text);
                QVERIFY2(advance <= r.room.width(),
                         qPrintable(where + QStringLiteral(": %1 wide in %2").arg(advance).arg(r.room.width())));
                // The letters themselves, top to bottom, stay inside the control.
                const QRect ink = fm.tightBoundingRect(r.text);
                QVERIFY2(ink.height() <= r.room.height(),
                         qPrintable(where + QStringLiteral(": %1 high in %2").arg(ink.height()).arg(r.room.height())));
                if (auto *l = qobject_cast<QLabel *>(c); l && (l->alignment() & Qt::AlignTop))
                    QVERIFY2(fm.ascent() + ink.bottom() <= r.room.height(), qPrintable(where + QStringLiteral(": cut at the foot")));
            }
        }
        QVERIFY(checked >= 20);
    }
};

QTEST_MAIN(HighDpiTest)
#include "tst_highdpi.moc"
