// SPDX-License-Identifier: GPL-3.0-or-later
// Prints where the registration window's "ОК" stands: the pixel at its centre, in the window's
// client area, "X Y". bench/run clicks there; the window itself says where, not its source.

#include <QApplication>
#include <QPushButton>
#include <cstdio>

#include "look/Look.h"
#include "registration/Form2.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    zarviki::installGameLook();
    zarviki::Form2 form;
    const QPoint centre = form.Command1->geometry().center();
    std::printf("%d %d\n", centre.x(), centre.y());
    return 0;
}
