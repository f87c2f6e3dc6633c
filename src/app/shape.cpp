#include "app/shape.h"

#include <QPainter>

namespace lumigram {

void TShape::SetBrushColour(const QColor& colour) {
    brush_ = colour;
    update();
}

void TShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(brush_.isValid() ? QBrush(brush_) : QBrush(Qt::NoBrush));
    painter.drawRect(0, 0, width() - 1, height() - 1);
}

}  // namespace lumigram
