#include "ui/EpicPicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace tavrel {

QPixmap epicCardPicture(QSize size, qreal devicePixelRatio)
{
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    if (size.isEmpty())
        return pixmap;

    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = size.width();
    const qreal h = size.height();
    const qreal u = std::min(w, h) / 40.0; // one unit of the drawing

    // The board, with mounting holes in its corners.
    const QRectF board(u, u, w - 2 * u, h - 2 * u);
    QLinearGradient green(board.topLeft(), board.bottomRight());
    green.setColorAt(0, QColor(32, 112, 64));
    green.setColorAt(1, QColor(18, 78, 44));
    p.setPen(QPen(QColor(10, 50, 28), u * 0.4));
    p.setBrush(green);
    p.drawRoundedRect(board, 2 * u, 2 * u);
    p.setBrush(QColor(200, 200, 190));
    p.setPen(Qt::NoPen);
    for (const QPointF corner :
         {board.topLeft() + QPointF(3 * u, 3 * u), board.topRight() + QPointF(-3 * u, 3 * u),
          board.bottomLeft() + QPointF(3 * u, -3 * u), board.bottomRight() + QPointF(-3 * u, -3 * u)})
        p.drawEllipse(corner, u, u);

    // Traces from the controller to the connector rows.
    const QRectF chip(w * 0.38, h * 0.36, w * 0.24, h * 0.28);
    p.setPen(QPen(QColor(190, 160, 70, 150), u * 0.35));
    for (int i = 0; i < 6; ++i) {
        const qreal x = chip.left() + chip.width() * (i + 0.5) / 6;
        p.drawLine(QPointF(x, chip.top()), QPointF(w * 0.12 + i * (w * 0.76 / 5), h * 0.2));
        p.drawLine(QPointF(x, chip.bottom()), QPointF(w * 0.12 + i * (w * 0.76 / 5), h * 0.8));
    }

    // Two rows of connector pins, top and bottom edge.
    p.setPen(Qt::NoPen);
    for (const qreal y : {h * 0.1, h * 0.84}) {
        p.setBrush(QColor(30, 30, 30));
        p.drawRect(QRectF(w * 0.08, y, w * 0.84, h * 0.07));
        p.setBrush(QColor(212, 175, 55));
        for (int i = 0; i < 16; ++i)
            p.drawRect(QRectF(w * 0.1 + i * (w * 0.8 / 16), y + h * 0.02, w * 0.025, h * 0.03));
    }

    // The controller with its pins and the card's name.
    p.setBrush(QColor(40, 40, 44));
    p.setPen(QPen(QColor(120, 120, 120), u * 0.2));
    p.drawRect(chip);
    QFont label = p.font();
    label.setBold(true);
    label.setPixelSize(std::max(6, int(chip.height() * 0.3)));
    p.setFont(label);
    p.setPen(QColor(230, 230, 230));
    p.drawText(chip, Qt::AlignCenter, QStringLiteral("EPIC"));

    // The USB socket on the left edge.
    p.setBrush(QColor(190, 190, 196));
    p.setPen(QPen(QColor(90, 90, 96), u * 0.2));
    p.drawRect(QRectF(board.left() - u * 0.5, h * 0.42, w * 0.1, h * 0.16));
    p.setBrush(QColor(60, 60, 64));
    p.drawRect(QRectF(board.left() + u * 0.5, h * 0.46, w * 0.05, h * 0.08));
    return pixmap;
}

} // namespace tavrel
