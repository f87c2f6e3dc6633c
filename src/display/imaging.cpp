#include "display/imaging.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

namespace lumigram {
namespace {

int FormatCodeOf(const QByteArray& format) {
    static const std::pair<const char*, int> kCodes[] = {
        {"bmp", kImageFormatBmp},   {"dib", kImageFormatBmp},  {"jpeg", kImageFormatJpeg},
        {"jpg", kImageFormatJpeg},  {"png", kImageFormatPng},  {"gif", kImageFormatGif},
        {"tiff", kImageFormatTiff}, {"tif", kImageFormatTiff}, {"ico", kImageFormatIcon},
        {"cur", kImageFormatIcon},
    };
    for (const auto& [name, code] : kCodes) {
        if (format == name) {
            return code;
        }
    }
    return kImageFormatUnknown;
}

}  // namespace

TImagingImage::TImagingImage(const QByteArray& bytes) {
    QImageReader::setAllocationLimit(kDecodeAllocationLimitMiB);
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
    const QByteArray format = reader.format();
    if (reader.read(&image_)) {
        format_ = FormatCodeOf(format);
    } else {
        image_ = QImage();
    }
}

void TImagingGraphics::DrawImage(const TImagingImage* image, int x, int y, int width, int height) {
    if (image == nullptr || image->IsNull()) {
        return;
    }
    painter_.drawImage(QRectF(x, y, width, height), image->image());
}

}  // namespace lumigram
