#include "app/Look.h"

#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPalette>
#include <QProxyStyle>
#include <QShortcut>
#include <QWidget>

namespace zarviki {

namespace {

// The platform's style with the usual keyboard ways into a menu bar: Alt alone moves into it, and
// F10 opens its first menu. No menu caption gains a mnemonic or a shortcut for it.
class MenuKeysStyle final : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_MenuBar_AltKeyNavigation)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

    void polish(QWidget *widget) override
    {
        QProxyStyle::polish(widget);
        auto *bar = qobject_cast<QMenuBar *>(widget);
        if (!bar || bar->findChild<QShortcut *>(FirstMenuKey, Qt::FindDirectChildrenOnly))
            return;
        auto *key = new QShortcut(QKeySequence(Qt::Key_F10), bar);
        key->setObjectName(FirstMenuKey);
        QObject::connect(key, &QShortcut::activated, bar, [bar] {
            const QList<QAction *> menus = bar->actions();
            if (!menus.isEmpty())
                bar->setActiveAction(menus.first());
        });
    }

private:
    static inline const QString FirstMenuKey = QStringLiteral("zarvikiFirstMenuKey");
};

}  // namespace

void installGameFonts()
{
    if (!dynamic_cast<MenuKeysStyle *>(QApplication::style()))
        QApplication::setStyle(new MenuKeysStyle(QApplication::style()->name()));
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
