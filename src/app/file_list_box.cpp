#include "app/file_list_box.h"

#include <QMouseEvent>

namespace lumigram {

void TFileListBox::mouseReleaseEvent(QMouseEvent* event) {
    const bool onRow = itemAt(event->position().toPoint()) != nullptr;
    QListWidget::mouseReleaseEvent(event);
    // The row under the release after a click or a drag.
    if (event->button() == Qt::LeftButton && onRow && currentRow() >= 0) {
        emit userChoseRow(currentRow());
    }
}

void TFileListBox::keyPressEvent(QKeyEvent* event) {
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    if (currentRow() != before && currentRow() >= 0) {
        emit userChoseRow(currentRow());
    }
}

}  // namespace lumigram
