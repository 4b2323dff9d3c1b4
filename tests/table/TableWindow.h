// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared by the table window suites: waiting for the referee.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "table/Form1.h"

namespace zarviki::testing {

// Lets Timer1 run until the referee rests, as it does after a tick that changed nothing.
inline bool settle(Form1 &form)
{
    QElapsedTimer waited;
    waited.start();
    while (form.Timer1->isActive()) {
        if (waited.elapsed() > 3000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

}  // namespace zarviki::testing
