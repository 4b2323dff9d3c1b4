// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The how-to-play window "Как играть ?": a red heading, a paragraph of help broken by hand into
// fourteen lines, a closing line in light red, and an OK button that hides the window.

#include <QWidget>
#include <array>

class QLabel;
class QPushButton;

namespace zarviki {

class Form5 : public QWidget {
    Q_OBJECT
public:
    explicit Form5(QWidget *parent = nullptr);

    static constexpr int LabelCount = 15;

    // Label1 .. Label15 in screen order, as Label[0] .. Label[14].
    std::array<QLabel *, LabelCount> Label{};
    QPushButton *Command1 = nullptr;
};

}  // namespace zarviki
