#include "display/checkerboard.h"

#include <QColor>
#include <QPainter>
#include <QRect>

namespace lumigram {

void DrawCheckerboard(QPainter& canvas, const QRect& target, const QRect& visible) {
    constexpr int kSquare = 8;
    const QRect shown = target & visible;
    if (shown.isEmpty()) {
        return;
    }
    const int firstColumn = (shown.left() - target.left()) / kSquare;
    const int firstRow = (shown.top() - target.top()) / kSquare;
    canvas.save();
    canvas.setClipRect(shown, Qt::IntersectClip);
    for (int row = firstRow; target.top() + row * kSquare <= shown.bottom(); ++row) {
        for (int column = firstColumn; target.left() + column * kSquare <= shown.right();
             ++column) {
            const bool light = (row + column) % 2 == 0;
            canvas.fillRect(target.left() + column * kSquare, target.top() + row * kSquare, kSquare,
                            kSquare, light ? QColor(255, 255, 255) : QColor(214, 214, 214));
        }
    }
    canvas.restore();
}

}  // namespace lumigram
