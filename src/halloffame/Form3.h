#pragma once
// The last-hero window "Последний герой !": shows the stored hero record, read when it is created.

#include <QWidget>

namespace zarviki {

class Form3 : public QWidget {
    Q_OBJECT
public:
    explicit Form3(QWidget *parent = nullptr);
};

}  // namespace zarviki
