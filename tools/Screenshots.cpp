// SPDX-License-Identifier: GPL-3.0-or-later
// Shows each of the game's six windows in a typical state and saves what it draws as a PNG:
// zarviki_screenshots <folder>. Runs on a real window system (tools/screenshots uses Xvfb).

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <cstdio>
#include <deque>

#include "app/Shell.h"
#include "halloffame/Form3.h"
#include "halloffame/Form4.h"
#include "info/Form5.h"
#include "info/Form6.h"
#include "look/Icon.h"
#include "look/Look.h"
#include "registration/Form2.h"
#include "table/Form1.h"

namespace {

// A throw that is always the same, so the pictures are too.
class SetThrows final : public zarviki::Chance {
public:
    std::deque<float> draws;
    void reseed(double) override {}
    float draw() override
    {
        if (draws.empty())
            return 0.0f;
        const float d = draws.front();
        draws.pop_front();
        return d;
    }
};

class NoonClock final : public zarviki::Clock {
public:
    double secondsSinceMidnight() override { return 43200.0; }
};

constexpr float drawOfFace(int f) { return (f + 0.5f) / 6.0f; }
constexpr float takeable = 0.75f;
constexpr float untakeable = 0.25f;

bool saveWindow(QWidget *window, const QDir &folder, const char *file)
{
    window->show();
    window->raise();
    if (!QTest::qWaitForWindowExposed(window, 5000)) {
        std::fprintf(stderr, "%s: the window was never shown\n", file);
        return false;
    }
    QTest::qWait(200);
    // What the window system shows of the window, as a person sees it; where the window system
    // lends no window's pixels (Wayland), what the window draws.
    const QString path = folder.filePath(QString::fromLatin1(file));
    QPixmap shown = window->screen()->grabWindow(window->winId());
    if (shown.isNull())
        shown = window->grab();
    if (!shown.save(path, "PNG")) {
        std::fprintf(stderr, "%s: could not be written\n", qPrintable(path));
        return false;
    }
    std::printf("%s %dx%d\n", qPrintable(path), window->width(), window->height());
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zarviki"));
    zarviki::installGameLook();
    zarviki::installGameIcon();
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder for the PNG files>\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));

    SetThrows chance;
    NoonClock clock;
    zarviki::Shell shell(chance, clock);
    shell.endProgram = [] {};
    shell.start();

    bool ok = true;
    zarviki::Form2 *registration = shell.form2();
    registration->Text1->setText(QStringLiteral("Игрок"));
    ok &= saveWindow(registration, folder, "registration.png");

    // The table after one throw, with the first die taken and marked by the referee.
    registration->Command1->click();
    zarviki::Form1 *table = shell.form1();
    chance.draws = {drawOfFace(3), drawOfFace(5), drawOfFace(1), drawOfFace(4), drawOfFace(2),
                    takeable,      untakeable,    takeable,      takeable,      untakeable};
    table->Command2->click();
    table->Command1[0]->click();
    QTest::qWait(50);
    ok &= saveWindow(table, folder, "table.png");

    ok &= saveWindow(shell.form3(), folder, "last-hero.png");
    zarviki::Form4 *winner = shell.form4();
    if (auto *words = winner->findChild<QPlainTextEdit *>())
        words->setPlainText(QStringLiteral("Люблю кости и чай с лимоном."));
    ok &= saveWindow(winner, folder, "winner.png");
    ok &= saveWindow(shell.form5(), folder, "how-to-play.png");
    ok &= saveWindow(shell.form6(), folder, "about.png");
    return ok ? 0 : 1;
}
