// Paints a 240 x 320 picture (BMP, then PNG) in a 241 x 321 preview on Qt's
// offscreen platform: a repaint of the unchanged picture, and a load of a new
// picture followed by its first paint. Targets: repaint under 2 ms, load plus
// first paint under 10 ms.
#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <chrono>
#include <cstdio>

#include "bench_support.h"
#include "display/preview_image.h"
#include "platform/byte_file.h"

using namespace lumigram;

namespace {

constexpr int kWidth = 240;
constexpr int kHeight = 320;

QImage Picture(int seed) {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            image.setPixel(x, y, qRgb((x + seed) & 255, (y * 3) & 255, (x ^ y ^ seed) & 255));
        }
    }
    image.setPixel(0, kHeight - 1, qRgb(255, 0, 255));
    return image;
}

double MillisecondsPerRun(int runs, const std::function<void(int)>& work) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < runs; ++i) {
        work(i);
    }
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    return took.count() / runs;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::ScratchFolder dir;
    TPreviewImage preview;
    preview.resize(241, 321);
    QImage canvas(preview.size(), QImage::Format_RGB32);

    for (const char* format : {"BMP", "PNG"}) {
        const std::string files[2] = {dir.File(std::string("a.") + format),
                                      dir.File(std::string("b.") + format)};
        Picture(1).save(QString::fromStdString(files[0]), format);
        Picture(2).save(QString::fromStdString(files[1]), format);

        preview.Picture().LoadFromFile(QString::fromStdString(files[0]));
        preview.render(&canvas);
        const double repaint = MillisecondsPerRun(200, [&](int) { preview.render(&canvas); });
        const double loadAndPaint = MillisecondsPerRun(100, [&](int i) {
            preview.Picture().LoadFromFile(QString::fromStdString(files[i % 2]));
            preview.render(&canvas);
        });
        std::printf("%s 240 x 320 in a 241 x 321 preview:\n", format);
        std::printf("  repaint of an unchanged picture: %6.3f ms (target < 2)\n", repaint);
        std::printf("  load plus first paint:           %6.3f ms (target < 10)\n", loadAndPaint);
    }
    return 0;
}
