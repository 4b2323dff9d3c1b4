// SPDX-License-Identifier: GPL-3.0-or-later
#include "info/Form5.h"

#include <QLabel>
#include <QPushButton>

#include "look/Controls.h"
#include "look/Look.h"

namespace zarviki {

namespace {

struct HelpLine {
    int left, top, width, height;
    const char *text;
};

// The page as it stands on screen, in twips. Rows 2 to 14 are one paragraph broken by hand, words
// split where the line ends; the quotes, the leading, trailing and doubled spaces are the page's own.
const HelpLine Page[Form5::LabelCount] = {
    {2648, 120, 735, 255, "Зарвики"},
    {120, 480, 4815, 255, "Сначала вы выбераете себе имя \"язык\" и уровень сложности."},
    {5040, 480, 855, 255, "После это-"},
    {120, 720, 5775, 255, "го начинается игра. Вы нажимаете \"скинуть\"(если язык русский) и ко-"},
    {120, 960, 5895, 255, "мпьютер случайным оброзом выкидывает числа на кубиках. Вы нажимаете "},
    {120, 1200, 5775, 255, "на кудик и это число прибавляется к вашему текушему значению. Разуме"},
    {120, 1440, 5775, 255, "ется если кубик \"прозрачный\" то число не прибаляется. После этого если "},
    {120, 1680, 5775, 255, "вы нажимаете \"хватит\" то вы \"сохраняете\" это значение (но можно и рис- "},
    {120, 1920, 5775, 255, "нуть). Затем ходит компьютер. В нажимаете \"Ход  компа\" и для него так "},
    {120, 2160, 5895, 255, "же выкидываются случайные значения. Первый кто соберет 100 балов "},
    {120, 2400, 5895, 255, "получает одно очко. Игра идет до трех очков. Кто првый собрал, тот и "},
    {120, 2640, 5775, 255, " победил.  После победы появиться кнопка \"сохронить результат\" если вы"},
    {120, 2880, 5895, 255, "Нажимаете её то сохроняете свою победу. Вы можите посмотреть имя"},
    {120, 3120, 5775, 255, "последнего побидителя , зайдя в файл \"Последний герой\". Вот и все!"},
    {960, 3480, 3885, 195, "Выйгрыш в этой игре зависит только от везения!"},
};

// Moves a control so that it stands centred across the window, at its own top.
void centreAcross(QWidget *control, int windowWidth)
{
    control->move((windowWidth - control->width()) / 2, control->y());
}

}  // namespace

Form5::Form5(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form5"));
    makeFixedWindow(this, QStringLiteral("Как играть ?"), 6030, 4230, Taskbar::Entry);

    // Created in tab order: the labels first, then the OK button, the only control taking the focus.
    for (int i = 0; i < LabelCount; ++i) {
        const HelpLine &line = Page[i];
        const QByteArray name = "Label" + QByteArray::number(i + 1);
        Label[i] = plainLabel(this, name.constData(), twips(line.left, line.top, line.width, line.height),
                              QString::fromUtf8(line.text));
    }

    // The heading: red, 9.75 pt bold, centred across the window; a wider text grows it about its centre.
    QLabel *heading = Label[0];
    heading->setFont(gameFont(9.75, 700));
    setTextColour(heading, Red);
    heading->resize(std::max(heading->width(), textWidth(heading)), heading->height());
    centreAcross(heading, width());

    // The closing line: light red, 8.25 pt italic, sized to its text.
    QLabel *moral = Label[LabelCount - 1];
    moral->setFont(gameFont(8.25, 400, true));
    setTextColour(moral, QColor(255, 128, 128));
    sizeToText(moral);

    Command1 = okButton(this, twips(2648, 3840, 735, 255));
    centreAcross(Command1, width());
    connect(Command1, &QPushButton::clicked, this, &QWidget::hide);
}

}  // namespace zarviki
