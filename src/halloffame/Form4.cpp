#include "halloffame/Form4.h"

#include "app/Look.h"

namespace zarviki {

Form4::Form4(std::function<QString()> readName, QWidget *parent) : QWidget(parent), m_readName(std::move(readName))
{
    setObjectName(QStringLiteral("Form4"));
    makeFixedWindow(this, QStringLiteral("Регистрация плбедителя !"), 5175, 1560, Taskbar::NoEntry);
}

}  // namespace zarviki
