// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <random>

#include "app/Shell.h"
#include "look/Icon.h"
#include "look/Look.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zarviki"));
    QGuiApplication::setDesktopFileName(zarviki::DesktopId);
    zarviki::installGameLook();
    zarviki::installGameIcon();

    std::random_device entropy;
    zarviki::ClockSeededGenerator chance((std::uint64_t(entropy()) << 32) | entropy());
    zarviki::TimeOfDay clock;
    zarviki::Shell shell(chance, clock);
    shell.start();
    return QApplication::exec();
}
