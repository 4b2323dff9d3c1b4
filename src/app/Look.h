#pragma once
// How the game's windows look: twips to pixels, the game's one font face, fixed-size frames.

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class QLabel;
class QWidget;

namespace zarviki {

inline constexpr int TwipsPerPixel = 15;

constexpr int px(int twips) { return (twips + TwipsPerPixel / 2) / TwipsPerPixel; }
inline QRect twips(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

// The face every font of the game names. It is mapped to a metric-compatible face with Cyrillic.
inline const QString GameFace = QStringLiteral("MS Sans Serif");
inline const QString GameFaceSubstitute = QStringLiteral("Liberation Sans");

// Maps the game's face to its substitute and makes the default font 8.25 pt regular.
void installGameFonts();

QFont gameFont(double pointSize = 8.25, int weight = 400, bool italic = false, bool underline = false);

// Text colour of a label.
void setTextColour(QWidget *w, const QColor &colour);

// A label sized to its text: at least the given size, grown to fit the text where it needs to.
void sizeToText(QLabel *label);

enum class Taskbar { Entry, NoEntry };

// A window with a fixed single border, a close box, no minimise or maximise button, and the given
// client size in twips. Windows without a taskbar entry are tool-like dialogs over the table window.
void makeFixedWindow(QWidget *window, const QString &caption, int clientWidthTwips, int clientHeightTwips,
                     Taskbar taskbar = Taskbar::Entry);

}  // namespace zarviki
