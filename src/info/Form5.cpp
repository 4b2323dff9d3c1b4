#include "info/Form5.h"

#include "app/Look.h"

namespace zarviki {

Form5::Form5(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form5"));
    makeFixedWindow(this, QStringLiteral("Как играть ?"), 6030, 4230);
}

}  // namespace zarviki
