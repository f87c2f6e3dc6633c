#pragma once

#include <QIcon>

class QStyle;

namespace lumigram {

// The 16 x 16 glyphs of the window's actions: the desktop theme's icons where
// it has them, else Qt's standard pixmaps, else small pictures drawn here.
enum class Glyph { kCut, kCopy, kPaste, kNew, kOpen, kSave };

QIcon GlyphIcon(Glyph glyph, const QStyle& style);

}  // namespace lumigram
