// SPDX-License-Identifier: GPL-3.0-or-later
#include "info/Form6.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

#include "app/Look.h"
#include "app/Release.h"

namespace zarviki {

const char *const AboutCredit = "Сделано авторами Зарвиков";

namespace {

enum class Size { ToText, Fixed };

// A plain, left- and top-aligned label that takes no focus. A label sized to its text keeps its
// Left and Top and grows to fit the whole text, trailing spaces included.
QLabel *label(QWidget *parent, const char *name, const QRect &geometry, const QString &text, Size size,
              const QFont &font = gameFont())
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setTextFormat(Qt::PlainText);
    l->setTextInteractionFlags(Qt::NoTextInteraction);
    l->setOpenExternalLinks(false);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setFocusPolicy(Qt::NoFocus);
    l->setFont(font);
    l->setGeometry(geometry);
    if (size == Size::ToText) {
        sizeToText(l);
        const int advance = QFontMetrics(font).horizontalAdvance(text);
        l->resize(std::max(l->width(), advance), l->height());
    }
    return l;
}

}  // namespace

Form6::Form6(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form6"));
    makeFixedWindow(this, QStringLiteral("О программе !"), 4995, 1815, Taskbar::NoEntry);

    // Created in tab order: the labels, then the OK button.
    Label1 = label(this, "Label1", twips(1350, 120, 1320, 240), QStringLiteral("О программе!"), Size::ToText,
                   gameFont(9.75));
    setTextColour(Label1, QColor(255, 0, 0));
    Label2 = label(this, "Label2", twips(1560, 480, 855, 195), QStringLiteral("Зарвики (" ZARVIKI_VERSION ") "), Size::ToText);
    Label3 = label(this, "Label3", twips(1080, 840, 1920, 195), QString::fromUtf8(AboutCredit), Size::ToText);
    Label4 = label(this, "Label4", twips(0, 1560, 2055, 255), QStringLiteral(ZARVIKI_ADDRESS), Size::Fixed);
    Label5 = label(this, "Label5", twips(1560, 1200, 480, 195), QStringLiteral("2002г."), Size::ToText);

    Command1 = new QPushButton(QStringLiteral("ОК"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setAutoDefault(false);
    Command1->setDefault(false);
    Command1->setGeometry(twips(3600, 120, 1335, 375));
    connect(Command1, &QPushButton::clicked, this, &QWidget::hide);
}

}  // namespace zarviki
