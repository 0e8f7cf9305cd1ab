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

} // namespace quadrilo
