#pragma once
// The about window "О программе !".

#include <QWidget>

namespace zarviki {

class Form6 : public QWidget {
    Q_OBJECT
public:
    explicit Form6(QWidget *parent = nullptr);
};

}  // namespace zarviki
