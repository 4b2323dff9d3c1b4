// SPDX-License-Identifier: GPL-3.0-or-later
#include "registration/Form2.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <limits>

#include "look/Controls.h"
#include "look/Look.h"
#include "look/Release.h"

namespace zarviki {

namespace {

template <class W>
W *control(QWidget *parent, const char *name, const QRect &geometry, const QString &text)
{
    auto *w = new W(text, parent);
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(geometry);
    return w;
}

}  // namespace

Form2::Form2(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form2"));
    makeFixedWindow(this, QStringLiteral("Регистрация"), 5025, 3345);

    Text1 = control<QLineEdit>(this, "Text1", twips(2205, 360, 2055, 285), QStringLiteral("User"));
    Text1->setMaxLength(std::numeric_limits<int>::max());  // the name is taken whole, however long
    Label1 = plainLabel(this, "Label1", twips(765, 360, 1095, 255), QStringLiteral("Введите имя"));
    Command1 = okButton(this, twips(2760, 2760, 735, 375));
    Label2 = plainLabel(this, "Label2", twips(465, 960, 1335, 255), QStringLiteral("Выберите язык"));
    Label3 = plainLabel(this, "Label3", twips(1365, 1560, 2295, 255), QStringLiteral("Выберите уровень сложности"));
    Check1 = control<QCheckBox>(this, "Check1", twips(1920, 960, 1095, 255), QStringLiteral("Русский"));
    Check2 = control<QCheckBox>(this, "Check2", twips(3240, 960, 1575, 255), QStringLiteral("Разговорный"));
    Option1 = control<QRadioButton>(this, "Option1", twips(3405, 2160, 855, 255), QStringLiteral("Крутой"));
    Option3 = control<QRadioButton>(this, "Option3", twips(2025, 2160, 1095, 255), QStringLiteral("Бывалый"));
    Option2 = control<QRadioButton>(this, "Option2", twips(765, 2160, 975, 255), QStringLiteral("Л@мер"));
    Label5 = plainLabel(this, "Label5", twips(0, 3120, 1815, 255), QStringLiteral(ZARVIKI_ADDRESS));
    Label5->setFont(gameFont(8.25, 400, false, true));
    Label1->setBuddy(Text1);
    Option3->setChecked(true);

    QWidget *order[] = {Text1, Command1, Check1, Check2, Option1, Option3, Option2};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    // Only the user's own click on a box runs its handling; clearing the other box runs none.
    connect(Check1, &QCheckBox::clicked, this, [this] { Check2->setChecked(false); });
    connect(Check2, &QCheckBox::clicked, this, [this] {
        Check1->setChecked(false);
        emit colloquialChosen();
    });
    connect(Command1, &QPushButton::clicked, this, &Form2::command1Clicked);
    // Enter in the name box presses OK, as in any dialog that asks for one line.
    connect(Text1, &QLineEdit::returnPressed, Command1, &QPushButton::click);

    load();
}

void Form2::load()
{
    Check1->setChecked(true);
}

LevelOptions Form2::level() const
{
    LevelOptions level;
    level.Option1 = Option1->isChecked();
    level.Option3 = Option3->isChecked();
    level.Option2 = Option2->isChecked();
    return level;
}

}  // namespace zarviki
