#include "SearchAnimation.h"

#include <QPainter>
#include <QTimerEvent>

#include <cmath>

namespace lumex::app {

namespace {
constexpr int kFrames = 16;
constexpr int kFrameMs = 80;
}

SearchAnimation::SearchAnimation(QWidget* parent) : QWidget(parent) {}

void SearchAnimation::showEvent(QShowEvent*) { m_timer.start(kFrameMs, this); }
void SearchAnimation::hideEvent(QHideEvent*) { m_timer.stop(); }

void SearchAnimation::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_timer.timerId())
        return QWidget::timerEvent(event);
    m_frame = (m_frame + 1) % kFrames;
    update();
}

void SearchAnimation::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF sheet(width() * 0.15, height() * 0.1, width() * 0.55, height() * 0.8);
    painter.setPen(QPen(Qt::darkGray, 1));
    painter.setBrush(Qt::white);
    painter.drawRect(sheet);
    for (int line = 1; line < 5; ++line) {
        const double y = sheet.top() + sheet.height() * line / 5.0;
        painter.drawLine(QPointF(sheet.left() + 3, y), QPointF(sheet.right() - 3, y));
    }
    // The magnifier circles over the sheet.
    const double angle = 2.0 * M_PI * m_frame / kFrames;
    const QPointF centre(sheet.center().x() + std::cos(angle) * sheet.width() * 0.3,
                         sheet.center().y() + std::sin(angle) * sheet.height() * 0.25);
    const double radius = std::min(width(), height()) * 0.2;
    painter.setPen(QPen(Qt::black, 2));
    painter.setBrush(QColor(200, 230, 255, 160));
    painter.drawEllipse(centre, radius, radius);
    painter.drawLine(centre + QPointF(radius * 0.7, radius * 0.7),
                     centre + QPointF(radius * 1.6, radius * 1.6));
}

}  // namespace lumex::app
