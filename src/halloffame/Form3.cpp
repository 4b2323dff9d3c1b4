// SPDX-License-Identifier: GPL-3.0-or-later
#include "halloffame/Form3.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <limits>

#include "halloffame/HeroRecord.h"
#include "halloffame/RecordMessages.h"
#include "look/Controls.h"
#include "look/Look.h"

namespace zarviki {

Form3::Form3(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form3"));
    makeFixedWindow(this, QStringLiteral("Последний герой !"), 5235, 1635);

    Label1 = plainLabel(this, "Label1", twips(240, 120, 855, 195), QStringLiteral("Имя героя:"));
    sizeToText(Label1);
    Label2 = plainLabel(this, "Label2", twips(120, 840, 1620, 195), QStringLiteral("Что мы о нем знаем:"));
    sizeToText(Label2);

    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(twips(1920, 120, 1935, 285));
    Text1->setMaxLength(std::numeric_limits<int>::max());  // a record's name is shown whole
    Label1->setBuddy(Text1);

    Text2 = new QPlainTextEdit(this);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setGeometry(twips(1920, 720, 3135, 615));
    Text2->setTabChangesFocus(true);
    Label2->setBuddy(Text2);

    setTabOrder(Text1, Text2);

    load();
}

// Reads the hero record; when there is none to read, the no-heroes message stands in place of the
// name and the words stay empty.
void Form3::load()
{
    const std::optional<HeroRecord> record = readHeroRecord();
    Text1->setText(record ? record->name : NoHeroesMessage);
    Text1->setCursorPosition(0);  // a long name shows its start
    if (record)
        Text2->setPlainText(record->about);
}

}  // namespace zarviki
