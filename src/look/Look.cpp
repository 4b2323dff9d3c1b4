// SPDX-License-Identifier: GPL-3.0-or-later
#include "look/Look.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFontDatabase>
#include <QMenuBar>
#include <QPalette>
#include <QProxyStyle>
#include <QShortcut>
#include <QStyleFactory>
#include <QWidget>
#include <memory>

namespace zarviki {

namespace {

// The classic desktop style, whatever the platform names, with the usual keyboard ways into a menu
// bar: Alt alone moves into it, and F10 opens its first menu. No menu caption gains a mnemonic or
// a shortcut for it.
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

// Linux has the substitute face among the system's fonts (Debian's fonts-liberation2, a dependency
// of the game). Windows and the browser have none: there the program carries the three faces its
// texts use (regular, bold, italic), under the SIL Open Font Licence that comes with it. The page's
// are cut down and renamed, as that licence asks: the family is the one the faces name themselves.
QString installCarriedFaces()
{
    static const QString family = [] {
        QString named;
        QDirIterator faces(QStringLiteral(":/fonts"), {QStringLiteral("*.ttf")}, QDir::Files);
        while (faces.hasNext()) {
            const QStringList families = QFontDatabase::applicationFontFamilies(
                QFontDatabase::addApplicationFont(faces.next()));
            if (named.isEmpty() && !families.isEmpty())
                named = families.first();
        }
        return named;
    }();
    return family;
}

}  // namespace

void installGameLook()
{
    if (!dynamic_cast<MenuKeysStyle *>(QApplication::style()))
        QApplication::setStyle(new MenuKeysStyle(QStyleFactory::create(QStringLiteral("Windows"))));
    const QString carried = installCarriedFaces();
    QFont::insertSubstitution(GameFace, carried.isEmpty() ? GameFaceSubstitute : carried);
    QApplication::setFont(gameFont());
    QApplication::setPalette(gamePalette());
}

QFont gameFont(double pointSize, int weight, bool italic, bool underline)
{
    QFont f(GameFace);
    f.setPointSizeF(pointSize);
    f.setWeight(static_cast<QFont::Weight>(weight));
    f.setItalic(italic);
    f.setUnderline(underline);
    // Windows has a bitmap font of the game's face in a few sizes only; outlines alone let the
    // mapping to the substitute apply there too.
    f.setStyleStrategy(QFont::ForceOutline);
    // Whatever the game does not set (spacing, capitals, strike-through, hinting...) would otherwise
    // be taken from the window's font, and so from the desktop's.
    f.setResolveMask(QFont::AllPropertiesResolved);
    return f;
}

QPalette gamePalette()
{
    // The classic style's own palette: black text on the Windows 2000 face grey (212, 208, 200).
    static const QPalette classic = std::unique_ptr<QStyle>(QStyleFactory::create(QStringLiteral("Windows")))
                                        ->standardPalette();
    QPalette p;
    for (int g = 0; g < QPalette::NColorGroups; ++g)
        for (int r = 0; r < QPalette::NColorRoles; ++r) {
            const auto group = QPalette::ColorGroup(g);
            const auto role = QPalette::ColorRole(r);
            p.setBrush(group, role, classic.brush(group, role));
        }
    return p;
}

void keepGameLook(QWidget *window)
{
    const QFont plain = gameFont();
    const QPalette light = gamePalette();
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.prepend(window);
    for (QWidget *w : widgets) {
        w->setFont(w->testAttribute(Qt::WA_SetFont) ? w->font().resolve(plain) : plain);
        w->setPalette(w->testAttribute(Qt::WA_SetPalette) ? w->palette().resolve(light) : light);
    }
}

Qt::WindowFlags fixedWindowFlags(Taskbar taskbar)
{
    return (taskbar == Taskbar::Entry ? Qt::Window : Qt::Dialog) | Qt::CustomizeWindowHint | Qt::WindowTitleHint
           | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
}

void makeFixedWindow(QWidget *window, const QString &caption, int clientWidthTwips, int clientHeightTwips,
                     Taskbar taskbar)
{
    window->setWindowFlags(fixedWindowFlags(taskbar));
    window->setWindowTitle(caption);
    window->setFixedSize(px(clientWidthTwips), px(clientHeightTwips));
}

}  // namespace zarviki
