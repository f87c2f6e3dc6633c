#include "app/glyphs.h"

#include <QPainter>
#include <QPixmap>
#include <QStyle>

namespace lumigram {
namespace {

// Simple drawn stand-ins for the clipboard glyphs, which Qt's styles lack.
QIcon DrawnGlyph(Glyph glyph) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QPen(QColor(40, 40, 40), 1));
    switch (glyph) {
        case Glyph::kCut:  // scissors
            p.drawEllipse(2, 10, 4, 4);
            p.drawEllipse(10, 10, 4, 4);
            p.drawLine(5, 10, 11, 1);
            p.drawLine(11, 10, 5, 1);
            break;
        case Glyph::kCopy:  // two sheets
            p.setBrush(Qt::white);
            p.drawRect(1, 1, 8, 10);
            p.drawRect(6, 5, 8, 10);
            break;
        default:  // paste: a board with a sheet
            p.setBrush(QColor(190, 150, 90));
            p.drawRect(2, 2, 10, 12);
            p.setBrush(Qt::white);
            p.drawRect(7, 6, 7, 9);
            break;
    }
    return QIcon(pixmap);
}

}  // namespace

QIcon GlyphIcon(Glyph glyph, const QStyle& style) {
    switch (glyph) {
        case Glyph::kCut:
            return QIcon::fromTheme("edit-cut", DrawnGlyph(glyph));
        case Glyph::kCopy:
            return QIcon::fromTheme("edit-copy", DrawnGlyph(glyph));
        case Glyph::kPaste:
            return QIcon::fromTheme("edit-paste", DrawnGlyph(glyph));
        case Glyph::kNew:
            return QIcon::fromTheme("document-new", style.standardIcon(QStyle::SP_FileIcon));
        case Glyph::kOpen:
            return QIcon::fromTheme("document-open",
                                    style.standardIcon(QStyle::SP_DialogOpenButton));
        case Glyph::kSave:
            return QIcon::fromTheme("document-save",
                                    style.standardIcon(QStyle::SP_DialogSaveButton));
    }
    return {};
}

}  // namespace lumigram
