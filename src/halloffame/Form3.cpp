// SPDX-License-Identifier: GPL-3.0-or-later
#include "halloffame/Form3.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <limits>

#include "app/Look.h"
#include "halloffame/HeroRecord.h"
#include "halloffame/RecordMessages.h"

namespace zarviki {

namespace {

QLabel *label(QWidget *parent, const char *name, const QRect &geometry, const QString &text)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setTextFormat(Qt::PlainText);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setGeometry(geometry);
    sizeToText(l);
    return l;
}

}  // namespace

Form3::Form3(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form3"));
    makeFixedWindow(this, QStringLiteral("Последний герой !"), 5235, 1635);

    Label1 = label(this, "Label1", twips(240, 120, 855, 195), QStringLiteral("Имя героя:"));
    Label2 = label(this, "Label2", twips(120, 840, 1620, 195), QStringLiteral("Что мы о нем знаем:"));

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
