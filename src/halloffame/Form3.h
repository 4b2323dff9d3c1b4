// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The last-hero window "Последний герой !": shows the stored hero record, read when it is created.

#include <QWidget>

#include "halloffame/RecordMessages.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace zarviki {

class Form3 : public QWidget {
    Q_OBJECT
public:
    explicit Form3(QWidget *parent = nullptr);

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *Text1 = nullptr;
    QPlainTextEdit *Text2 = nullptr;

private:
    void load();
};

}  // namespace zarviki
