#pragma once
// The how-to-play window "Как играть ?".

#include <QWidget>

namespace zarviki {

class Form5 : public QWidget {
    Q_OBJECT
public:
    explicit Form5(QWidget *parent = nullptr);
};

}  // namespace zarviki
