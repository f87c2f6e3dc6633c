#pragma once

#include <vector>

class QAction;
class QMenu;

namespace lumigram {

class TZoomView;

// The View menu's zoom items, the same in both windows.
struct ZoomActions {
    QAction* zoomIn = nullptr;      // Ctrl++ (and Ctrl+=)
    QAction* zoomOut = nullptr;     // Ctrl+-
    QAction* actualSize = nullptr;  // Ctrl+0
    std::vector<QAction*> factors;  // 1x, 2x, 4x, 8x, then fit
};

// Adds them to menu for view; their check marks follow the zoom shown, however
// it was chosen (the menu, the wheel, a picture fitted on opening).
ZoomActions AddZoomActions(QMenu& menu, TZoomView& view);

}  // namespace lumigram
