// lumigram-thumbnail: the PNG writer behind "lumigram-cli thumbnail". It is a
// program of its own so that lumigram-cli itself loads no GUI libraries: the
// other commands start quickly and stay small in memory.
//   lumigram-thumbnail INPUT.k OUTPUT.png SIZE   (arguments checked by lumigram-cli)

#include <QBuffer>
#include <QImage>
#include <QString>
#include <cstdlib>
#include <string>

#include "cli/cli_support.h"
#include "codec/skin_decoder.h"
#include "platform/interrupt_cleanup.h"
#include "platform/io_error.h"
#include "platform/output_file.h"
#include "platform/path.h"
#include "platform/temporary_folder.h"

namespace lumigram::cli {
namespace {

struct ThumbnailArguments {
    std::string input;
    std::string output;
    int size = 128;
};

// Decoded pixels are multiples of 4 in every channel, so a key colour with a
// channel that is not can only come from a transparent pixel.
constexpr TransparencyColour kThumbnailKey{255, 1, 255};

void WriteThumbnail(const ThumbnailArguments& a) {
    TemporaryFolder scratch;
    const InterruptCleanupFolder scratchCleanup(scratch.path());
    const std::string bmp = JoinPath(scratch.path(), "thumbnail.bmp");
    DecodeSkinPictureTo(a.input, bmp, kThumbnailKey, true);
    QImage image;
    if (!image.load(QString::fromStdString(bmp), "BMP")) {
        throw FormatError("the picture could not be turned into an image", a.input);
    }
    image = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = qRgb(kThumbnailKey.red, kThumbnailKey.green, kThumbnailKey.blue);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((row[x] | 0xFF000000u) == key) {
                row[x] = 0;  // transparent
            }
        }
    }
    if (image.width() > a.size || image.height() > a.size) {
        image = image.scaled(a.size, a.size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        throw FormatError("the thumbnail could not be encoded as PNG", a.input);
    }
    WriteWholeOutput(a.output,
                     std::span(reinterpret_cast<const std::uint8_t*>(png.constData()),
                               static_cast<std::size_t>(png.size())),
                     true);
}

}  // namespace
}  // namespace lumigram::cli

int main(int argc, char** argv) {
    using namespace lumigram::cli;
    lumigram::InstallInterruptCleanup();
    if (argc != 4) {
        PrintError("", "usage: lumigram-thumbnail INPUT.k OUTPUT.png SIZE");
        return kExitUsage;
    }
    const ThumbnailArguments arguments{argv[1], argv[2], std::atoi(argv[3])};
    if (arguments.size < 1) {
        PrintError("", "SIZE must be a positive number of pixels");
        return kExitUsage;
    }
    return RunReportingErrors(arguments.input, [&] {
        WriteThumbnail(arguments);
    });
}
