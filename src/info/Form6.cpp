// SPDX-License-Identifier: GPL-3.0-or-later
#include "info/Form6.h"

#include <QLabel>
#include <QPushButton>

#include "look/Controls.h"
#include "look/Look.h"
#include "look/Release.h"

namespace zarviki {

namespace {

// The credit line. It is not a link.
const QString AboutCredit = QStringLiteral("Сделано авторами Зарвиков");


}  // namespace

Form6::Form6(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form6"));
    makeFixedWindow(this, QStringLiteral("О программе !"), 4995, 1815, Taskbar::NoEntry);

    // Created in tab order: the labels, then the OK button.
    // Each label but the address is sized to its text, trailing spaces included.
    Label1 = plainLabel(this, "Label1", twips(1350, 120, 1320, 240), QStringLiteral("О программе!"), gameFont(9.75));
    setTextColour(Label1, Red);
    Label2 = plainLabel(this, "Label2", twips(1560, 480, 855, 195), QStringLiteral("Зарвики (" ZARVIKI_VERSION ") "),
                        gameFont());
    Label3 = plainLabel(this, "Label3", twips(1080, 840, 1920, 195), AboutCredit, gameFont());
    Label4 = plainLabel(this, "Label4", twips(0, 1560, 2055, 255), QStringLiteral(ZARVIKI_ADDRESS), gameFont());
    Label5 = plainLabel(this, "Label5", twips(1560, 1200, 480, 195), QStringLiteral("2002г."), gameFont());
    for (QLabel *l : {Label1, Label2, Label3, Label5})
        sizeToText(l);

    Command1 = okButton(this, twips(3600, 120, 1335, 375));
    connect(Command1, &QPushButton::clicked, this, &QWidget::hide);
}

}  // namespace zarviki
