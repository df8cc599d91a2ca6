#include "ui/MainIcon.h"

#include <QPainter>

namespace vantiro {

namespace {

// A sheet of rows with an arrow leaving it: rows going out to a file.
QImage drawSheet(int size, QColor arrowColour) {
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, size > 16);
    const double s = size / 16.0;
    p.scale(s, s);
    p.setPen(QPen(QColor(0, 0, 128), 1.0));
    p.setBrush(QColor(255, 255, 255));
    p.drawRect(QRectF(1.5, 1.5, 9, 12));
    p.setPen(QPen(QColor(0, 128, 128), 1.0));
    for (int y = 4; y <= 11; y += 2) p.drawLine(QPointF(3, y + 0.5), QPointF(9, y + 0.5));
    p.setPen(Qt::NoPen);
    p.setBrush(arrowColour);
    QPolygonF arrow;
    arrow << QPointF(9, 8) << QPointF(12, 8) << QPointF(12, 5.5) << QPointF(15.5, 10) << QPointF(12, 14.5)
          << QPointF(12, 12) << QPointF(9, 12);
    p.drawPolygon(arrow);
    return img;
}

}  // namespace

QImage DrawIconImage(int size) { return drawSheet(size, QColor(192, 0, 0)); }

QImage DrawWindowImage() { return drawSheet(16, QColor(0, 64, 192)); }

QIcon MainWindowIcon() {
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(DrawWindowImage()));
    icon.addPixmap(QPixmap::fromImage(DrawIconImage(32)));
    return icon;
}

}  // namespace vantiro
