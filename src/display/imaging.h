#pragma once

#include <QByteArray>
#include <QImage>

class QPainter;

namespace lumigram {

// Thin wrappers over Qt's image decoding and drawing, standing where the
// picture object expects a platform imaging library.

class TImagingBase {
  public:
    virtual ~TImagingBase() = default;
};

// Image format codes the picture object understands; only kImageFormatBmp
// changes how a picture is drawn.
enum ImageFormatCode : int {
    kImageFormatUnknown = 0,  // anything else, also bytes that did not decode
    kImageFormatMemoryBmp = 1,
    kImageFormatBmp = 2,
    kImageFormatEmf = 3,
    kImageFormatWmf = 4,
    kImageFormatJpeg = 5,
    kImageFormatPng = 6,
    kImageFormatGif = 7,
    kImageFormatTiff = 8,
    kImageFormatExif = 9,
    kImageFormatIcon = 10,
};

// Decoding never allocates more than this for one image: a picture that would
// need more (a decompression bomb) decodes to nothing and draws nothing.
inline constexpr int kDecodeAllocationLimitMiB = 256;

// One image decoded from bytes held in memory. The bytes are shared, not
// copied (Qt's implicit sharing), and must not change while the image exists.
class TImagingImage : public TImagingBase {
  public:
    explicit TImagingImage(const QByteArray& bytes);
    // Pixels decoded elsewhere, with the format code to report for them.
    TImagingImage(QImage image, int format) : image_(std::move(image)), format_(format) {}

    int GetFormat() const { return format_; }
    // Pixel size, 0 when the bytes did not decode.
    int GetWidth() const { return image_.width(); }
    int GetHeight() const { return image_.height(); }
    const QImage& image() const { return image_; }
    bool IsNull() const { return image_.isNull(); }

  private:
    QImage image_;
    int format_ = kImageFormatUnknown;
};

// A drawing surface: a painter the caller owns.
class TImagingGraphics : public TImagingBase {
  public:
    explicit TImagingGraphics(QPainter& painter) : painter_(painter) {}

    // Draws the whole image scaled to fill the rectangle; a null image draws
    // nothing.
    void DrawImage(const TImagingImage* image, int x, int y, int width, int height);

  private:
    QPainter& painter_;
};

}  // namespace lumigram
