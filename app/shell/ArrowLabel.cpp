#include "ArrowLabel.h"

#include <QPainter>
#include <QPainterPath>

namespace lumex::app {

ArrowLabel::ArrowLabel(QWidget* parent) : QLabel(parent) {}

QSize ArrowLabel::sizeHint() const {
    const int size = std::max(font().pixelSize(), 12);
    return {int(size * 1.2), int(size * 1.15)};
}

void ArrowLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(3, 3, -3, -3);
    const double shaftTop = box.top() + box.height() * 0.32;
    const double shaftBottom = box.top() + box.height() * 0.68;
    const double headStart = box.left() + box.width() * 0.55;
    const double midY = box.center().y();
    QPainterPath arrow;
    arrow.moveTo(box.left(), shaftTop);
    arrow.lineTo(headStart, shaftTop);
    arrow.lineTo(headStart, box.top());
    arrow.lineTo(box.right(), midY);
    arrow.lineTo(headStart, box.bottom());
    arrow.lineTo(headStart, shaftBottom);
    arrow.lineTo(box.left(), shaftBottom);
    arrow.closeSubpath();
    const QColor colour = palette().color(foregroundRole());
    const double pen = std::max(2.0, font().pixelSize() / 10.0);
    painter.setPen(QPen(colour, pen, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(arrow);
}

}  // namespace lumex::app
