#pragma once

#include <QBuffer>
#include <QImage>
#include <QWidget>

#include "support/pictures.h"
#include "support/test_files.h"

namespace lumigram::test {

inline constexpr QRgb kBackground = 0xFF808080;  // the grey the tests paint behind

// A picture whose pixel (x, y) has red x, green y and blue 77, except the
// bottom-left pixel, which is key (so a BMP's automatic transparency hides only
// pixels of that exact colour).
inline Rgb GradientPixel(int x, int y) {
    return Rgb{77, static_cast<std::uint8_t>(y), static_cast<std::uint8_t>(x)};
}

inline Bytes GradientBmp(int width, int height, Rgb key = Rgb{255, 0, 255}) {
    BmpSpec spec;
    spec.width = width;
    spec.height = height;
    spec.pixel = [=](int x, int y) {
        return x == 0 && y == height - 1 ? key : GradientPixel(x, y);
    };
    return MakeBmp(spec);
}

inline Bytes GradientPng(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgb c = GradientPixel(x, y);
            image.setPixel(x, y, qRgb(c.red, c.green, c.blue));
        }
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    const QByteArray bytes = buffer.data();
    return Bytes(bytes.begin(), bytes.end());
}

inline QRgb Colour(Rgb c) {
    return qRgb(c.red, c.green, c.blue);
}

// The widget rendered over a grey background, as the window would show it.
inline QImage Render(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(kBackground);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

}  // namespace lumigram::test
