// SPDX-License-Identifier: GPL-3.0-or-later
#include "halloffame/Form4.h"

#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTextDocument>

#include "halloffame/HeroRecord.h"
#include "look/Controls.h"
#include "look/Look.h"

namespace zarviki {

Form4::Form4(std::function<QString()> readName, QWidget *parent) : QWidget(parent), m_readName(std::move(readName))
{
    setObjectName(QStringLiteral("Form4"));
    makeFixedWindow(this, QStringLiteral("Регистрация плбедителя !"), 5175, 1560, Taskbar::NoEntry);

    Text2 = new QPlainTextEdit(this);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setGeometry(twips(1800, 240, 3135, 615));
    Text2->setTabChangesFocus(true);

    Label2 = plainLabel(this, "Label2", twips(120, 240, 1365, 195), QStringLiteral("Пару слов о себе:"));
    sizeToText(Label2);
    Label2->setBuddy(Text2);  // the label names the box for a screen reader

    Command1 = okButton(this, twips(2220, 1080, 735, 375), QStringLiteral("OK"));  // Latin letters, this window's alone

    setTabOrder(Text2, Command1);
    connect(Command1, &QPushButton::clicked, this, &Form4::command1Click);

    reportSaveFailure = [this](const QString &message) {
        auto *box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Зарвики"), message, QMessageBox::Ok, this);
        box->button(QMessageBox::Ok)->setText(QStringLiteral("ОК"));  // Cyrillic, as every OK but this window's
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::NonModal);
        keepGameLook(box);
        box->show();
    };
}

void Form4::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_shownBefore) {
        m_shownBefore = true;
        Text2->setFocus(Qt::OtherFocusReason);
    }
}

QString Form4::aboutText() const
{
    // The box keeps its lines apart with separators of its own; the record has CR LF.
    QString text = Text2->document()->toRawText();
    for (QChar &c : text)
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = QLatin1Char('\n');
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

// The name and the words are read as the steps of a save read them, the window hides, and the
// record is saved whole or not at all (HeroRecord.h); a failed save shows the window again, with its
// text, and tells the player why.
void Form4::command1Click()
{
    const QString name = m_readName();
    const QString about = aboutText();
    hide();
    const QString failure = saveHeroRecord(name, about);
    if (failure.isEmpty())
        return;
    show();
    if (reportSaveFailure)
        reportSaveFailure(failure);
}

}  // namespace zarviki
