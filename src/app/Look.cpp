#include "app/Look.h"

#include <QApplication>
#include <QLabel>
#include <QPalette>
#include <QWidget>

namespace zarviki {

void installGameFonts()
{
    QFont::insertSubstitution(GameFace, GameFaceSubstitute);
    QApplication::setFont(gameFont());
}

QFont gameFont(double pointSize, int weight, bool italic, bool underline)
{
    QFont f(GameFace);
    f.setPointSizeF(pointSize);
    f.setWeight(static_cast<QFont::Weight>(weight));
    f.setItalic(italic);
    f.setUnderline(underline);
    return f;
}

void setTextColour(QWidget *w, const QColor &colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, colour);
    p.setColor(QPalette::Text, colour);
    p.setColor(QPalette::ButtonText, colour);
    w->setPalette(p);
}

void sizeToText(QLabel *label)
{
    const QSize text = label->sizeHint();
    label->resize(std::max(label->width(), text.width()), std::max(label->height(), text.height()));
}

void makeFixedWindow(QWidget *window, const QString &caption, int clientWidthTwips, int clientHeightTwips,
                     Taskbar taskbar)
{
    Qt::WindowFlags flags = (taskbar == Taskbar::Entry ? Qt::Window : Qt::Dialog) | Qt::CustomizeWindowHint
                            | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                            | Qt::MSWindowsFixedSizeDialogHint;
    window->setWindowFlags(flags);
    window->setWindowTitle(caption);
    window->setFixedSize(px(clientWidthTwips), px(clientHeightTwips));
}

}  // namespace zarviki
