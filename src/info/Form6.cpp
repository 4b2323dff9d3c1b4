#include "info/Form6.h"

#include "app/Look.h"

namespace zarviki {

Form6::Form6(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form6"));
    makeFixedWindow(this, QStringLiteral("О программе !"), 4995, 1815, Taskbar::NoEntry);
}

}  // namespace zarviki
