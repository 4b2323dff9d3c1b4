// SPDX-License-Identifier: GPL-3.0-or-later
// The browser's screen reader meets the game through the page: Qt's web platform gives the browser
// one canvas and no accessibility of its own. This bridge mirrors each shown window's accessible
// objects, as QAccessible describes them to AT-SPI and UI Automation, into elements of the page
// that draw nothing (PageAccessibilityOnWeb.js makes them), keeps them current from the events Qt
// sends those bridges, moves the page's focus with the game's, and hands a press of an element back
// to its object's own action. It is built into the web program alone and installs itself as the
// program starts.

#include <QAccessible>
#include <QCoreApplication>
#include <QMetaObject>
#include <QMenu>
#include <QPointer>
#include <QWidget>
#include <emscripten.h>
#include <emscripten/bind.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <private/qguiapplication_p.h>

namespace zarviki {

namespace {

// What a page element stands for; Through is a plain container whose children stand in its place,
// Skip what the page leaves out (the table's speech outlet speaks through the page's own news).
enum class Kind { Through, Skip, Window, Button, CheckBox, Radio, RadioGroup, Group, TextBox, Label, MenuBar, Menu,
                  MenuItem, Separator };

const char *name(Kind k)
{
    switch (k) {
    case Kind::Window: return "window";
    case Kind::Button: return "button";
    case Kind::CheckBox: return "checkbox";
    case Kind::Radio: return "radio";
    case Kind::RadioGroup: return "radiogroup";
    case Kind::Group: return "group";
    case Kind::TextBox: return "textbox";
    case Kind::Label: return "label";
    case Kind::MenuBar: return "menubar";
    case Kind::Menu: return "menu";
    case Kind::MenuItem: return "menuitem";
    case Kind::Separator: return "separator";
    default: return "";
    }
}

Kind kindOf(QAccessibleInterface *i)
{
    switch (i->role()) {
    case QAccessible::Window:
    case QAccessible::Dialog:
        return Kind::Window;
    case QAccessible::PushButton: return Kind::Button;
    case QAccessible::CheckBox: return Kind::CheckBox;
    case QAccessible::RadioButton: return Kind::Radio;
    case QAccessible::Grouping: return Kind::Group;
    case QAccessible::EditableText: return Kind::TextBox;
    case QAccessible::StaticText: return Kind::Label;
    case QAccessible::MenuBar: return Kind::MenuBar;
    case QAccessible::PopupMenu: return Kind::Menu;
    case QAccessible::MenuItem: return Kind::MenuItem;
    case QAccessible::Separator: return Kind::Separator;
    case QAccessible::Notification: return Kind::Skip;
    default: return Kind::Through;
    }
}

// The states an element shows, as bits the page's script reads.
enum Flag { Disabled = 1, Checked = 2, Hidden = 4, MultiLine = 8, ReadOnly = 16, HasPopup = 32 };

int flagsOf(QAccessibleInterface *i, QAccessible::State s)
{
    const Kind k = kindOf(i);
    int f = 0;
    f |= s.disabled && k != Kind::Separator ? Disabled : 0;
    f |= s.checked ? Checked : 0;
    // A menu's items are shown with their menu.
    f |= s.invisible && k != Kind::MenuItem && k != Kind::Separator ? Hidden : 0;
    f |= s.multiLine ? MultiLine : 0;
    f |= s.readOnly ? ReadOnly : 0;
    f |= k == Kind::MenuItem && i->childCount() > 0 ? HasPopup : 0;
    return f;
}

int changedFlags(QAccessible::State s)
{
    return (s.disabled ? Disabled : 0) | (s.checked ? Checked : 0) | (s.invisible ? Hidden : 0)
         | (s.readOnly ? ReadOnly : 0);
}

QString valueOf(QAccessibleInterface *i)
{
    if (QAccessibleTextInterface *text = i->textInterface())
        return text->text(0, text->characterCount());
    return i->text(QAccessible::Value);
}

double idOf(QAccessibleInterface *i) { return double(QAccessible::uniqueId(i)); }

QByteArray utf8(const QString &s) { return s.toUtf8(); }

void create(double id, double parent, int index, Kind k, const QString &label, const QString &description,
            const QString &value, int flags)
{
    EM_ASM({ Module.zarvikiPage.create($0, $1, $2, UTF8ToString($3), UTF8ToString($4), UTF8ToString($5),
                                       UTF8ToString($6), $7); },
           id, parent, index, name(k), utf8(label).constData(), utf8(description).constData(),
           utf8(value).constData(), flags);
}

void create(QAccessibleInterface *i, Kind k, double id, double parent, int index)
{
    create(id, parent, index, k, i->text(QAccessible::Name), i->text(QAccessible::Description), valueOf(i),
           flagsOf(i, i->state()));
}

// An element already made keeps what it tells until an event changes it: only its place and
// whether it shows are brought up to date, so that no change the game holds back is told here.
bool place(double id, double parent, int index, int flags)
{
    return EM_ASM_INT({ return Module.zarvikiPage.place($0, $1, $2, $3); }, id, parent, index, flags & Hidden);
}

void put(QAccessibleInterface *i, Kind k, double id, double parent, int index)
{
    if (!place(id, parent, index, flagsOf(i, i->state())))
        create(i, k, id, parent, index);
}

bool holdsRadios(QAccessibleInterface *container)
{
    for (int c = 0; c < container->childCount(); ++c)
        if (QAccessibleInterface *child = container->child(c); child && child->role() == QAccessible::RadioButton)
            return true;
    return false;
}

// Mirrors the children of `container` into the element `parent`, from its `index`-th child on. The
// option buttons of one container are one choice: a frame that holds them is their radio group, and
// in any other container they stand in one of their own.
void mirrorChildren(QAccessibleInterface *container, double parent, int &index)
{
    const bool frameOfRadios = kindOf(container) == Kind::Group;
    double radios = 0;
    int radioIndex = 0;
    for (int c = 0; c < container->childCount(); ++c) {
        QAccessibleInterface *child = container->child(c);
        if (!child)
            continue;
        const Kind k = kindOf(child);
        if (k == Kind::Skip || (k == Kind::Window && child->object() && child->object()->isWidgetType()))
            continue;
        double into = parent;
        int *at = &index;
        if (k == Kind::Radio && !frameOfRadios) {
            if (!radios) {
                radios = -idOf(container);
                if (!place(radios, parent, index, 0))
                    create(radios, parent, index, Kind::RadioGroup, {}, {}, {}, 0);
                ++index;
            }
            into = radios;
            at = &radioIndex;
        }
        if (k == Kind::Through) {
            mirrorChildren(child, into, *at);
            continue;
        }
        const double id = idOf(child);
        put(child, k == Kind::Group && holdsRadios(child) ? Kind::RadioGroup : k, id, into, (*at)++);
        int inner = 0;
        mirrorChildren(child, id, inner);
    }
}

bool isWindow(QObject *o)
{
    return o && o->isWidgetType() && static_cast<QWidget *>(o)->isWindow() && !qobject_cast<QMenu *>(o);
}

// A shown window's whole group, made afresh or brought up to date; elements of objects gone go.
void mirrorWindow(QWidget *window)
{
    QAccessibleInterface *i = QAccessible::queryAccessibleInterface(window);
    if (!i)
        return;
    const double id = idOf(i);
    EM_ASM({ Module.zarvikiPage.begin(); });
    if (!place(id, 0, -1, 0)) {
        create(i, Kind::Window, id, 0, -1);
        const double gone = id;
        QObject::connect(window, &QObject::destroyed, [gone] { EM_ASM({ Module.zarvikiPage.drop($0); }, gone); });
    }
    int index = 0;
    mirrorChildren(i, id, index);
    EM_ASM({ Module.zarvikiPage.end($0); }, id);
}

bool known(double id) { return EM_ASM_INT({ return Module.zarvikiPage.has($0); }, id); }

// The window of `o` when the page shows its group.
QWidget *mirroredWindowOf(QObject *o)
{
    while (o && !o->isWidgetType())
        o = o->parent();
    QWidget *window = o ? static_cast<QWidget *>(o)->window() : nullptr;
    QAccessibleInterface *i = window && window->isVisible() ? QAccessible::queryAccessibleInterface(window) : nullptr;
    return i && known(idOf(i)) ? window : nullptr;
}

void mirror(QAccessibleEvent *event)
{
    QAccessibleInterface *i = event->accessibleInterface();
    if (!i || !i->isValid())
        return;
    QObject *object = event->object();
    const double id = idOf(i);
    switch (event->type()) {
    case QAccessible::ObjectShow:
    case QAccessible::ObjectHide:
    case QAccessible::ObjectCreated:
    case QAccessible::ObjectReorder:
    case QAccessible::ParentChanged:
    case QAccessible::PopupMenuStart:
    case QAccessible::PopupMenuEnd: {
        if (isWindow(object) && event->child() < 0) {
            if (static_cast<QWidget *>(object)->isVisible())
                mirrorWindow(static_cast<QWidget *>(object));
            else
                EM_ASM({ Module.zarvikiPage.drop($0); }, id);
            return;
        }
        if (known(id) && (event->type() == QAccessible::ObjectShow || event->type() == QAccessible::ObjectHide
                          || event->type() == QAccessible::PopupMenuStart || event->type() == QAccessible::PopupMenuEnd)) {
            EM_ASM({ Module.zarvikiPage.show($0, $1); }, id, !(flagsOf(i, i->state()) & Hidden));
            return;
        }
        if (QWidget *window = mirroredWindowOf(object))
            mirrorWindow(window);
        return;
    }
    case QAccessible::NameChanged:
        EM_ASM({ Module.zarvikiPage.name($0, UTF8ToString($1)); }, id, utf8(i->text(QAccessible::Name)).constData());
        return;
    case QAccessible::DescriptionChanged:
        EM_ASM({ Module.zarvikiPage.description($0, UTF8ToString($1)); }, id,
               utf8(i->text(QAccessible::Description)).constData());
        return;
    case QAccessible::StateChanged: {
        const int changed = changedFlags(static_cast<QAccessibleStateChangeEvent *>(event)->changedStates());
        if (changed)
            EM_ASM({ Module.zarvikiPage.states($0, $1, $2); }, id, changed, flagsOf(i, i->state()));
        return;
    }
    case QAccessible::ValueChanged:
    case QAccessible::TextInserted:
    case QAccessible::TextRemoved:
    case QAccessible::TextUpdated:
        // A text box tells of an edit before it makes it: its text is read once the edit is done.
        if (kindOf(i) == Kind::TextBox)
            QMetaObject::invokeMethod(qApp, [id, text = QPointer<QObject>(object)] {
                if (QAccessibleInterface *now = text ? QAccessible::queryAccessibleInterface(text) : nullptr)
                    EM_ASM({ Module.zarvikiPage.value($0, UTF8ToString($1)); }, id, utf8(valueOf(now)).constData());
            }, Qt::QueuedConnection);
        return;
    case QAccessible::Focus: {
        // Qt also sends one for a widget that loses the focus; a menu's are for its items.
        const bool menu = qobject_cast<QMenu *>(object) || (object && object->inherits("QMenuBar"));
        if (!menu && !i->state().focused)
            return;
        if (!known(id))
            if (QWidget *window = mirroredWindowOf(object))
                mirrorWindow(window);
        EM_ASM({ Module.zarvikiPage.focus($0); }, id);
        return;
    }
    default:
        return;
    }
}

// Qt hands every accessibility event to one handler: this one mirrors it into the page and passes
// it on to the handler it replaced or, where there was none, to Qt's own platform bridge.
QAccessible::UpdateHandler passedTo = nullptr;

void passOn(QAccessibleEvent *event)
{
    if (passedTo) {
        passedTo(event);
        return;
    }
    const QAccessible::UpdateHandler standing = QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(standing);
}

void bridge(QAccessibleEvent *event)
{
    mirror(event);
    passOn(event);
}

void installPageAccessibility()
{
    if (!EM_ASM_INT({ return Module.zarvikiPage && Module.zarvikiPage.wanted() ? 1 : 0; }))
        return;
    passedTo = QAccessible::installUpdateHandler(bridge);
    // Qt's web platform has no reader of its own to turn its accessibility on: without this, Qt
    // sends no event at all.
    if (QPlatformIntegration *platform = QGuiApplicationPrivate::platformIntegration())
        if (QPlatformAccessibility *accessibility = platform->accessibility())
            accessibility->setActive(true);
}

// The page's element `id` pressed (Enter, Space, a click, or a screen reader's own press): its
// object's own action, as a reader on the desktop runs it. A check box's or an option's toggle would
// set it without the click that Space gives, the one the game's handling listens for: their press is
// that click.
void activate(double id)
{
    QAccessibleInterface *i = QAccessible::accessibleInterface(QAccessible::Id(id));
    QAccessibleActionInterface *actions = i && i->isValid() ? i->actionInterface() : nullptr;
    if (!actions || i->state().disabled)
        return;
    const QString press = QAccessibleActionInterface::pressAction();
    if (i->role() == QAccessible::CheckBox || i->role() == QAccessible::RadioButton) {
        actions->doAction(press);
        return;
    }
    const QStringList names = actions->actionNames();
    for (const QString &wanted : {press, QAccessibleActionInterface::showMenuAction(),
                                  QAccessibleActionInterface::toggleAction()})
        if (names.contains(wanted)) {
            actions->doAction(wanted);
            return;
        }
}

// What the reader typed into the page's text box `id` becomes the text box's text.
void typed(double id, const std::string &text)
{
    QAccessibleInterface *i = QAccessible::accessibleInterface(QAccessible::Id(id));
    QAccessibleEditableTextInterface *edit = i && i->isValid() ? i->editableTextInterface() : nullptr;
    if (!edit || i->state().readOnly)
        return;
    const QString now = QString::fromStdString(text);
    if (valueOf(i) != now)
        edit->replaceText(0, i->textInterface()->characterCount(), now);
}

// The bridge is in place before the first window is made, and before the table's own handler, which
// holds back what the dice would tell, so that the page hears what a desktop reader hears.
Q_COREAPP_STARTUP_FUNCTION(installPageAccessibility)

}  // namespace

}  // namespace zarviki

EMSCRIPTEN_BINDINGS(zarviki_page_accessibility)
{
    emscripten::function("zarvikiActivate", &zarviki::activate);
    emscripten::function("zarvikiTyped", &zarviki::typed);
}
