// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <random>

#include "app/Icon.h"
#include "app/Look.h"
#include "app/Windows.h"

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
    zarviki::Windows windows(chance, clock);
    windows.start();
    return QApplication::exec();
}
