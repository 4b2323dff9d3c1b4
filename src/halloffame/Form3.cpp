// SPDX-License-Identifier: GPL-3.0-or-later
#include "halloffame/Form3.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <limits>

#include "app/Look.h"
#include "halloffame/HeroRecord.h"

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

// Reads the hero record; any failure shows the no-heroes message in place of the name.
void Form3::load()
{
    RecordReader file;
    const auto failed = [this] {
        Text1->setText(NoHeroesMessage);
        Text1->setCursorPosition(0);
    };

    // No other game may save while the pair is read; a save a killed game left half done is
    // settled first.
    RecordLock lock(heroNamePath(), heroAboutPath());
    if (!lock.acquire())
        return failed();

    // The hero-name file: open, read its first line, show it, close.
    if (!file.open(heroNamePath()))
        return failed();
    const std::optional<QString> name = file.readFirstLine();
    if (!name)
        return failed();
    Text1->setText(*name);
    Text1->setCursorPosition(0);  // a long name shows its start
    file.close();

    // The hero-about file, the same way.
    if (!file.open(heroAboutPath()))
        return failed();
    const std::optional<QString> about = file.readFirstLine();
    if (!about)
        return failed();
    Text2->setPlainText(*about);
    file.close();
}

}  // namespace zarviki
