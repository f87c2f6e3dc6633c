#pragma once

class QPainter;
class QRect;

namespace lumigram {

// The light checkerboard drawn under a picture wherever the picture is
// see-through: 8-pixel squares counted from target's top-left corner, white
// first, drawn only where they meet visible. The preview and the workbench's
// thumbnails draw the same one.
void DrawCheckerboard(QPainter& canvas, const QRect& target, const QRect& visible);

}  // namespace lumigram
