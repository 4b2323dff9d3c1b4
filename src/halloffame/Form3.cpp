#include "halloffame/Form3.h"

#include "app/Look.h"

namespace zarviki {

Form3::Form3(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form3"));
    makeFixedWindow(this, QStringLiteral("Последний герой !"), 5235, 1635);
}

}  // namespace zarviki
