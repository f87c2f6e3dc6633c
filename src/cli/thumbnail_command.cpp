#include "cli/commands.h"

#include <CLI/CLI.hpp>
#include <QImage>
#include <QString>
#include <memory>

#include "cli/cli_support.h"
#include "codec/skin_decoder.h"
#include "platform/io_error.h"
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

void WriteThumbnail(const ThumbnailArguments& a, const std::string& pngPath) {
    TemporaryFolder scratch;
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
    if (!image.save(QString::fromStdString(pngPath), "PNG")) {
        throw IoError(kFileAccessDenied, a.output);
    }
}

}  // namespace

void AddThumbnailCommand(CLI::App& app, int& exitCode) {
    auto arguments = std::make_shared<ThumbnailArguments>();
    CLI::App* command = app.add_subcommand(
        "thumbnail", "Write a PNG thumbnail of a .k skin picture, transparent where it is");
    command->add_option("INPUT", arguments->input, "Skin picture")->required();
    command->add_option("OUTPUT", arguments->output, "PNG to write")->required();
    command
        ->add_option("SIZE", arguments->size,
                     "Longest side in pixels (smaller pictures keep their size)")
        ->required()
        ->check(CLI::Range(1, 4096));
    command->footer("Example:\n  lumigram-cli thumbnail icon.k icon.png 128");
    command->callback([arguments, &exitCode] {
        exitCode = RunReportingErrors(arguments->input, [&] {
            WriteReplacing(arguments->output, [&](const std::string& temporary) {
                WriteThumbnail(*arguments, temporary);
            });
        });
    });
}

}  // namespace lumigram::cli
