// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick for start-up time, memory and idle cost: a main window with a menu bar and a few
// push buttons, and nothing else. With --tick-every-ms it also runs a 1 ms precise timer that never
// rests: what the table window would cost if its referee ticked for nothing.

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Minimal"));
    QMenu *file = window.menuBar()->addMenu(QStringLiteral("File"));
    file->addAction(QStringLiteral("Open"));
    file->addSeparator();
    file->addAction(QStringLiteral("Quit"), &app, &QApplication::quit);
    window.menuBar()->addMenu(QStringLiteral("Help"))->addAction(QStringLiteral("About"));

    auto *client = new QWidget(&window);
    client->setFixedSize(320, 120);
    const char *captions[] = {"One", "Two", "Three", "Four"};
    for (int i = 0; i < 4; ++i) {
        auto *b = new QPushButton(QString::fromLatin1(captions[i]), client);
        b->setGeometry(10 + 75 * i, 40, 70, 25);
    }
    window.setCentralWidget(client);
    QTimer ticker;
    if (QCoreApplication::arguments().contains(QStringLiteral("--tick-every-ms"))) {
        ticker.setInterval(1);
        ticker.setTimerType(Qt::PreciseTimer);
        QObject::connect(&ticker, &QTimer::timeout, client, [client] { client->setProperty("ticks", client->property("ticks").toInt() + 1); });
        ticker.start();
    }
    window.show();
    return QApplication::exec();
}
