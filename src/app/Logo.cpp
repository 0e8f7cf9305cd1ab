#include "app/Logo.h"

#include <QPainter>
#include <QPainterPath>

namespace quadrilo {

QPixmap drawLogo(int height)
{
    const int width = height * 3;
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF mark(1, 1, height - 2, height - 2);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 90, 140));
    painter.drawRoundedRect(mark, height / 6.0, height / 6.0);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(height * 2 / 3);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(mark, Qt::AlignCenter, QStringLiteral("Q"));
    font.setPixelSize(height / 2);
    painter.setFont(font);
    painter.setPen(QColor(0, 90, 140));
    painter.drawText(QRectF(height + 4, 0, width - height - 4, height), Qt::AlignVCenter | Qt::AlignLeft,
                     QStringLiteral("Quadrilo"));
    return pixmap;
}

} // namespace quadrilo
