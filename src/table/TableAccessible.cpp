// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/TableAccessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QPushButton>

#include "table/Speech.h"

namespace zarviki {

namespace {

const char *const AnnouncerName = "announcer";
const char *const AnnouncementProperty = "announcement";
const char *const DieIndexProperty = "dieIndex";
const char *const DescriptionProperty = "dieDescription";
// The description the screen reader was last told, so a die never tells the same one twice.
const char *const ToldProperty = "dieDescriptionTold";

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

void tellDescription(QPushButton *die)
{
    const QVariant description = die->property(DescriptionProperty);
    if (die->property(ToldProperty) == description)
        return;
    die->setProperty(ToldProperty, description);
    QAccessibleEvent changed(die, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&changed);
}

// Qt reports a focus change after the control's focus-in, so the description told here is there
// before the reader reads the die, whether the game or Tab brought the focus.
class DescriptionOnFocus final : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::FocusIn)
            tellDescription(static_cast<QPushButton *>(watched));
        return false;
    }
};

}  // namespace

void installTableAccessible()
{
    static const bool installed = (QAccessible::installFactory(tableAccessible), true);
    Q_UNUSED(installed);
}

void makeDie(QPushButton *button, int index)
{
    button->setProperty(DieIndexProperty, index);
    button->installEventFilter(new DescriptionOnFocus(button));
}

void describeDie(QPushButton *button, const QString &description)
{
    button->setProperty(DescriptionProperty, description);
    if (button->hasFocus())
        tellDescription(button);
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
