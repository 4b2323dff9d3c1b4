// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/TableAccessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPushButton>
#include <utility>

#include "table/Speech.h"

namespace zarviki {

namespace {

const char *const AnnouncerName = "announcer";
const char *const AnnouncementProperty = "announcement";
const char *const DieIndexProperty = "dieIndex";
const char *const DescriptionProperty = "dieDescription";
// What an unfocused die has not yet told: that its name or description changed, and whether it was
// enabled when it last told it.
const char *const NameHeldProperty = "dieNameHeld";
const char *const DescriptionHeldProperty = "dieDescriptionHeld";
const char *const EnabledToldProperty = "dieEnabledTold";

class AnnouncerAccessible final : public QAccessibleWidget {
public:
    explicit AnnouncerAccessible(QWidget *w) : QAccessibleWidget(w, QAccessible::Notification) {}
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return widget()->property(AnnouncementProperty).toString();
        return QAccessibleWidget::text(t);
    }
};

// The name follows the caption, so the one name change Qt reports for a new caption is the only
// one. The description is read from the die when asked, so setting it sends nothing.
class DieAccessible final : public QAccessibleWidget {
public:
    DieAccessible(QPushButton *b, int index) : QAccessibleWidget(b, QAccessible::PushButton), m_index(index) {}
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Description)
            return button()->property(DescriptionProperty).toString();
        if (t != QAccessible::Name)
            return QAccessibleWidget::text(t);
        DieButton die;
        die.Caption = button()->text().toStdString();
        return QString::fromStdString(dieSpokenName(m_index, die));
    }
    QAccessible::State state() const override
    {
        QAccessible::State st = QAccessibleWidget::state();
        st.pressed = button()->isDown();
        return st;
    }
    QStringList actionNames() const override { return QStringList{pressAction()} + QAccessibleWidget::actionNames(); }
    void doAction(const QString &action) override
    {
        if (action == pressAction())
            button()->click();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    QPushButton *button() const { return static_cast<QPushButton *>(widget()); }
    int m_index;
};

QAccessibleInterface *tableAccessible(const QString &, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    if (object->objectName() == QLatin1String(AnnouncerName))
        return new AnnouncerAccessible(static_cast<QWidget *>(object));
    const QVariant die = object->property(DieIndexProperty);
    if (die.isValid() && qobject_cast<QPushButton *>(object))
        return new DieAccessible(static_cast<QPushButton *>(object), die.toInt());
    return nullptr;
}

// A screen reader speaks neither a new name, nor a new description, nor a new enabled flag of a
// control without the focus: it only keeps them and reads them when the focus arrives. Yet Qt
// reports every new caption and every enabled flag of every die, and a throw or a stand changes all
// five, so the reader spent most of its time on events it did not speak. Those of an unfocused die are held back here and
// told, one of each, just before the die's focus event. Qt offers no filter of its accessibility
// events, only one handler for them all: this one passes every other event on to the handler
// it replaced, or, where there was none, to the platform's bridge by stepping aside for the call.
QAccessible::UpdateHandler passedTo = nullptr;

void holdUnfocusedDice(QAccessibleEvent *event);

void passOn(QAccessibleEvent *event)
{
    if (passedTo) {
        passedTo(event);
        return;
    }
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(holdUnfocusedDice);
}

QPushButton *dieOf(QAccessibleEvent *event)
{
    QObject *object = event->object();
    if (!object || !object->property(DieIndexProperty).isValid())
        return nullptr;
    return qobject_cast<QPushButton *>(object);
}

void tellHeld(QPushButton *die)
{
    for (const auto &[held, change] : {std::pair(NameHeldProperty, QAccessible::NameChanged),
                                       std::pair(DescriptionHeldProperty, QAccessible::DescriptionChanged)}) {
        if (die->property(held).toBool()) {
            die->setProperty(held, false);
            QAccessibleEvent changed(die, change);
            passOn(&changed);
        }
    }
    const QVariant enabled = die->property(EnabledToldProperty);
    die->setProperty(EnabledToldProperty, QVariant());
    if (enabled.isValid() && enabled.toBool() != die->isEnabled()) {
        QAccessible::State changed;
        changed.disabled = true;
        QAccessibleStateChangeEvent state(die, changed);
        passOn(&state);
    }
}

void holdUnfocusedDice(QAccessibleEvent *event)
{
    QPushButton *die = dieOf(event);
    if (!die) {
        passOn(event);
        return;
    }
    if (event->type() == QAccessible::Focus) {
        tellHeld(die);
    } else if (!die->hasFocus()) {
        if (event->type() == QAccessible::NameChanged || event->type() == QAccessible::DescriptionChanged) {
            die->setProperty(event->type() == QAccessible::NameChanged ? NameHeldProperty : DescriptionHeldProperty,
                             true);
            return;
        }
        if (event->type() == QAccessible::StateChanged
            && static_cast<QAccessibleStateChangeEvent *>(event)->changedStates().disabled) {
            // Qt reports a flag that changed, so before the first change held it was the other.
            if (!die->property(EnabledToldProperty).isValid())
                die->setProperty(EnabledToldProperty, !die->isEnabled());
            return;
        }
    }
    passOn(event);
}

}  // namespace

void installTableAccessible()
{
    // Once: a second handler would hand every event to the first, itself.
    static const bool installed = [] {
        QAccessible::installFactory(tableAccessible);
        passedTo = QAccessible::installUpdateHandler(holdUnfocusedDice);
        return true;
    }();
    Q_UNUSED(installed);
}

void makeDie(QPushButton *button, int index)
{
    button->setProperty(DieIndexProperty, index);
}

void describeDie(QPushButton *button, const QString &description)
{
    if (button->property(DescriptionProperty).toString() == description)
        return;
    button->setProperty(DescriptionProperty, description);
    QAccessibleEvent changed(button, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&changed);
}

QWidget *makeAnnouncer(QWidget *parent)
{
    auto *announcer = new QWidget(parent);
    announcer->setObjectName(QLatin1String(AnnouncerName));
    announcer->setGeometry(0, 0, 1, 1);
    announcer->lower();
    announcer->hide();
    return announcer;
}

void announce(QWidget *announcer, const QString &text)
{
    const QString said = text.trimmed();
    if (said.isEmpty() || !announcer->window()->isVisible())
        return;
    announcer->setProperty(AnnouncementProperty, said);
    tellReader(announcer, said);
}

}  // namespace zarviki
