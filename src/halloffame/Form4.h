#pragma once
// The winner window "Регистрация плбедителя !": stores the hero record.

#include <QWidget>
#include <functional>

namespace zarviki {

class Form4 : public QWidget {
    Q_OBJECT
public:
    // readName reads the registration window's name box at the moment of OK.
    explicit Form4(std::function<QString()> readName, QWidget *parent = nullptr);

private:
    std::function<QString()> m_readName;
};

}  // namespace zarviki
