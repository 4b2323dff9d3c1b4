// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The about window "О программе !": the game's name and version, a credit line, the year and the
// game's web address, with an OK button that hides the window.

#include <QWidget>

class QLabel;
class QPushButton;

namespace zarviki {

class Form6 : public QWidget {
    Q_OBJECT
public:
    // Parented to the table window, it stands over it as a dialog without a taskbar entry.
    explicit Form6(QWidget *parent = nullptr);

    // In tab order; only the OK button takes the focus.
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;
    QPushButton *Command1 = nullptr;
};

}  // namespace zarviki
