#include "app/Logo.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

namespace quadrilo {

QPixmap drawLogo(int height)
{
    QFont font;
    font.setBold(true);
    font.setPixelSize(height / 2);
    const QString name = QStringLiteral("Quadrilo");
    const int width = height + 6 + QFontMetrics(font).horizontalAdvance(name) + 2;
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF mark(1, 1, height - 2, height - 2);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 90, 140));
    painter.drawRoundedRect(mark, height / 6.0, height / 6.0);
    QFont initial = font;
    initial.setPixelSize(height * 2 / 3);
    painter.setFont(initial);
    painter.setPen(Qt::white);
    painter.drawText(mark, Qt::AlignCenter, QStringLiteral("Q"));
    painter.setFont(font);
    painter.setPen(QColor(0, 90, 140));
    painter.drawText(QRectF(height + 6, 0, width - height - 6, height), Qt::AlignVCenter | Qt::AlignLeft, name);
    return pixmap;
}

QImage drawIcon(int size)
{
    // In units of a 64 x 64 square, as in quadrilo.svg.
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 90, 140));
    painter.drawRoundedRect(QRectF(2, 2, 60, 60), 11, 11);
    QPen white(Qt::white, 7);
    white.setCapStyle(Qt::RoundCap);
    painter.setPen(white);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(30, 30), 15, 15);
    painter.drawLine(QPointF(37, 37), QPointF(48, 48));
    return image;
}

QIcon programIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(drawIcon(size)));
    return icon;
}

} // namespace quadrilo
