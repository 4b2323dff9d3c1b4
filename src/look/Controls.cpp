// SPDX-License-Identifier: GPL-3.0-or-later
#include "look/Controls.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

namespace zarviki {

QLabel *plainLabel(QWidget *parent, const char *name, const QRect &geometry, const QString &text, Qt::Alignment align)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setTextFormat(Qt::PlainText);
    l->setTextInteractionFlags(Qt::NoTextInteraction);
    l->setFocusPolicy(Qt::NoFocus);
    l->setAlignment(align | Qt::AlignTop);
    l->setGeometry(geometry);
    return l;
}

QLabel *plainLabel(QWidget *parent, const char *name, const QRect &geometry, const QString &text, const QFont &font,
                   Qt::Alignment align)
{
    QLabel *l = plainLabel(parent, name, geometry, text, align);
    l->setFont(font);
    return l;
}

int textWidth(const QLabel *label)
{
    return QFontMetrics(label->font()).horizontalAdvance(label->text());
}

void sizeToText(QLabel *label)
{
    const QSize text = label->sizeHint();
    label->resize(std::max({label->width(), text.width(), textWidth(label)}), std::max(label->height(), text.height()));
}

void setTextColour(QWidget *w, const QColor &colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, colour);
    p.setColor(QPalette::Text, colour);
    p.setColor(QPalette::ButtonText, colour);
    w->setPalette(p);
}

QPushButton *okButton(QWidget *window, const QRect &geometry, const QString &caption)
{
    auto *b = new QPushButton(caption, window);
    b->setObjectName(QStringLiteral("Command1"));
    b->setGeometry(geometry);
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

}  // namespace zarviki
