// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The winner window "Регистрация плбедителя !": the winner writes a few words about themselves,
// and OK stores them with the registration window's name as the hero record.

#include <QWidget>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace zarviki {

class Form4 : public QWidget {
    Q_OBJECT
public:
    // readName reads the registration window's name box at the moment of OK.
    explicit Form4(std::function<QString()> readName, QWidget *parent = nullptr);

    // What Text2 holds, with its line breaks as CR LF, the way the record stores them.
    QString aboutText() const;

    // Tells the player that the record could not be saved; shows a message box over this window
    // unless replaced.
    std::function<void(const QString &message)> reportSaveFailure;

    QPlainTextEdit *Text2 = nullptr;
    QLabel *Label2 = nullptr;
    QPushButton *Command1 = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void command1Click();

    std::function<QString()> m_readName;
    bool m_shownBefore = false;
};

}  // namespace zarviki
