#pragma once

#include <QImage>
#include <QMetaType>
#include <QSize>
#include <QString>

namespace lumigram {

// What the grid shows of one member's picture: a small image, the picture's own
// size, or why it could not be decoded. A member that holds no picture has
// neither image nor error.
struct Thumbnail {
    QImage image;
    QSize size;
    QString error;
};

// Thumbnails fit a square of this side, keeping their aspect.
inline constexpr int kThumbnailSide = 64;
// A cell of the grid: the thumbnail and three lines of text under it.
inline constexpr QSize kCellSize{124, 124};

}  // namespace lumigram

Q_DECLARE_METATYPE(lumigram::Thumbnail)
