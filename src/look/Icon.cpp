// SPDX-License-Identifier: GPL-3.0-or-later
#include "look/Icon.h"

#include <QApplication>
#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace zarviki {

namespace {

// The die in a 64 by 64 design square, the same shapes as packaging/org.example.zarviki.svg.
constexpr double Design = 64.0;
const QRectF Shadow(7.5, 9.0, 52.0, 52.0);
const QRectF Body(6.0, 6.0, 52.0, 52.0);
constexpr double Corner = 10.0;
constexpr double Outline = 2.5;
constexpr double PipRadius = 5.0;
const QPointF Pips[] = {{20, 20}, {44, 20}, {32, 32}, {20, 44}, {44, 44}};

const QColor ShadowColour(0, 0, 0, 64);
const QColor LightFace(0xff, 0xff, 0xff);
const QColor DarkFace(0xe6, 0xdf, 0xcf);
const QColor OutlineColour(0x4a, 0x3b, 0x2a);
const QColor PipColour(0xd0, 0x10, 0x10);

class DieIconEngine final : public QIconEngine {
public:
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        painter->save();
        if (mode == QIcon::Disabled)
            painter->setOpacity(0.5);
        paintDie(*painter, rect);
        painter->restore();
    }

    // Qt asks for the pixmap in device pixels and gives it its pixel ratio itself.
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pm(size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        paint(&p, QRect(QPoint(0, 0), size), mode, state);
        return pm;
    }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override { return size; }

    // The sizes a window system's icon list is filled from. Each is painted at start-up for every
    // window, so the list stops at 64 px; the installed SVG serves the larger sizes.
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return {{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}};
    }

    QString key() const override { return QStringLiteral("zarviki-die"); }
    QString iconName() override { return DesktopId; }
    QIconEngine *clone() const override { return new DieIconEngine; }
};

}  // namespace

void paintDie(QPainter &painter, const QRectF &rect)
{
    const double side = std::min(rect.width(), rect.height());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(rect.center().x() - side / 2, rect.center().y() - side / 2);
    painter.scale(side / Design, side / Design);

    painter.setPen(Qt::NoPen);
    painter.setBrush(ShadowColour);
    painter.drawRoundedRect(Shadow, Corner, Corner);

    QLinearGradient face(Body.topLeft(), Body.bottomRight());
    face.setColorAt(0, LightFace);
    face.setColorAt(1, DarkFace);
    painter.setBrush(face);
    painter.setPen(QPen(OutlineColour, Outline));
    painter.drawRoundedRect(Body, Corner, Corner);

    painter.setPen(Qt::NoPen);
    painter.setBrush(PipColour);
    for (const QPointF &pip : Pips)
        painter.drawEllipse(pip, PipRadius, PipRadius);
    painter.restore();
}

QIcon gameIcon()
{
    return QIcon(new DieIconEngine);
}

void installGameIcon()
{
    QApplication::setWindowIcon(gameIcon());
}

}  // namespace zarviki
