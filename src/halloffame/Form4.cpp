// SPDX-License-Identifier: GPL-3.0-or-later
#include "halloffame/Form4.h"

#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTextDocument>

#include "halloffame/HeroRecord.h"
#include "halloffame/RecordWriter.h"
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

// Both files are written completely beside the old record and replace it together at the close of
// the hero-about file, so a failure anywhere leaves the old record whole and this window open. The
// record is locked against other games from step 1 to the end.
void Form4::command1Click()
{
    RecordWriter record(heroNamePath(), heroAboutPath());
    const auto failed = [&] {
        if (reportSaveFailure)
            reportSaveFailure(record.failureMessage());
    };

    // 1. Open the hero-name file for writing.
    if (!record.open(RecordWriter::NameFile))
        return failed();
    // 2. Read the registration window's name box.
    const QString name = m_readName();
    // 3. Write it and its line end.
    if (!record.writeLine(RecordWriter::NameFile, name))
        return failed();
    // 4. Close the hero-name file.
    if (!record.close(RecordWriter::NameFile))
        return failed();
    // 5. Open the hero-about file for writing.
    if (!record.open(RecordWriter::AboutFile))
        return failed();
    // 6. Read Text2.
    const QString about = aboutText();
    // 7. Write it and its line end.
    if (!record.writeLine(RecordWriter::AboutFile, about))
        return failed();
    // 8. Hide the window.
    hide();
    // 9. Close the hero-about file: the new record replaces the old one.
    if (!record.close(RecordWriter::AboutFile) || !record.replace()) {
        show();
        return failed();
    }
}

}  // namespace zarviki
