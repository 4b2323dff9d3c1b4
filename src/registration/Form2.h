// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The registration window "Регистрация": the player's name, the language mode and the level.

#include <QWidget>

#include "rules/Handlers.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace zarviki {

class Form2 : public QWidget {
    Q_OBJECT
public:
    explicit Form2(QWidget *parent = nullptr);

    // The level as the computer's turn reads it: Option1, Option3, Option2.
    LevelOptions level() const;

    QLineEdit *Text1 = nullptr;
    QLabel *Label1 = nullptr;
    QPushButton *Command1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QCheckBox *Check1 = nullptr;
    QCheckBox *Check2 = nullptr;
    QRadioButton *Option1 = nullptr;
    QRadioButton *Option3 = nullptr;
    QRadioButton *Option2 = nullptr;
    QLabel *Label5 = nullptr;

signals:
    // OK was pressed: the shell copies the name, shows the table window and hides this one.
    void command1Clicked();
    // "Разговорный" was clicked, whether it checked or cleared the box.
    void colloquialChosen();

private:
    void load();
};

}  // namespace zarviki
