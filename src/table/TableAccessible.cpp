// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/TableAccessible.h"

#include "table/Announcement.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPushButton>

#include "rules/Speech.h"

namespace zarviki {

namespace {

const char *const AnnouncerName = "announcer";
const char *const AnnouncementProperty = "announcement";
const char *const DieIndexProperty = "dieIndex";
const char *const DescriptionProperty = "dieDescription";

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
// one. The description is read from the die when asked; describeDie() reports its change as Qt
// reports a new caption, and the handler below holds both back while the die has not the focus.
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
// five, so the reader spent most of its time on events it did not speak. Those of an unfocused die
// are held back here, and when the die takes the focus, each of the three that differs from what
// the reader last heard of it is told, once, just before the focus event. What the reader last
// heard is what the die showed as it appeared, for a reader reads a control as it is shown, or the
// last change told since.
//
// Qt offers no filter of its accessibility events, only one handler for them all: this one passes
// every other event on to the handler it replaced, or, where there was none, to the platform's
// bridge to the reader.
QAccessible::UpdateHandler passedTo = nullptr;

// The three things a reader hears of a die, and where the die keeps what the reader last heard.
enum Heard { HeardName, HeardDescription, HeardEnabled, HeardCount };
const char *const HeardProperty[HeardCount] = {"dieNameHeard", "dieDescriptionHeard", "dieEnabledHeard"};

QVariant now(QPushButton *die, int h)
{
    if (h == HeardName)
        return QAccessible::queryAccessibleInterface(die)->text(QAccessible::Name);
    if (h == HeardDescription)
        return die->property(DescriptionProperty).toString();
    return die->isEnabled();
}

// Which of the three an event tells the reader has changed; HeardCount for none.
int changeIn(QAccessibleEvent *event)
{
    if (event->type() == QAccessible::NameChanged)
        return HeardName;
    if (event->type() == QAccessible::DescriptionChanged)
        return HeardDescription;
    if (event->type() == QAccessible::StateChanged
        && static_cast<QAccessibleStateChangeEvent *>(event)->changedStates().disabled)
        return HeardEnabled;
    return HeardCount;
}

void heardNow(QPushButton *die, int h) { die->setProperty(HeardProperty[h], now(die, h)); }

// Steps aside for the call, so that Qt hands the event to the handler replaced or, with none, to the
// bridge; whatever handler stood here stands here again after it.
void passOn(QAccessibleEvent *event)
{
    const QAccessible::UpdateHandler standing = QAccessible::installUpdateHandler(passedTo);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(standing);
}

void tell(QPushButton *die, int h)
{
    heardNow(die, h);
    if (h == HeardEnabled) {
        QAccessible::State changed;
        changed.disabled = true;
        QAccessibleStateChangeEvent state(die, changed);
        passOn(&state);
        return;
    }
    QAccessibleEvent changed(die, h == HeardName ? QAccessible::NameChanged : QAccessible::DescriptionChanged);
    passOn(&changed);
}

QPushButton *dieOf(QAccessibleEvent *event)
{
    QObject *object = event->object();
    if (!object || !object->property(DieIndexProperty).isValid())
        return nullptr;
    return qobject_cast<QPushButton *>(object);
}

void holdUnfocusedDice(QAccessibleEvent *event)
{
    QPushButton *die = dieOf(event);
    if (!die) {
        passOn(event);
        return;
    }
    const int change = changeIn(event);
    if (event->type() == QAccessible::ObjectShow) {
        for (int h = 0; h < HeardCount; ++h)
            heardNow(die, h);
    } else if (event->type() == QAccessible::Focus) {
        for (int h = 0; h < HeardCount; ++h)
            if (die->property(HeardProperty[h]) != now(die, h))
                tell(die, h);
    } else if (change == HeardEnabled || (change != HeardCount && !die->hasFocus())) {
        // A die loses the focus before it is disabled, and a disabled die takes none: its enabled
        // flag is told only when the focus reaches it, above.
        return;
    } else if (change != HeardCount) {
        heardNow(die, change);
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
