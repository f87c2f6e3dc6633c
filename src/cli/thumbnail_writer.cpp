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
#include "codec/skin_sampler.h"
#include "platform/interrupt_cleanup.h"
#include "platform/io_error.h"
#include "platform/output_file.h"

namespace lumigram::cli {
namespace {

struct ThumbnailArguments {
    std::string input;
    std::string output;
    int size = 128;
};

// Only the rows the thumbnail samples are read, and nothing full-size is decoded
// or written anywhere: a file manager may run this on every file it shows.
void WriteThumbnail(const ThumbnailArguments& a) {
    const SampledPicture picture = SampleSkinPicture(a.input, static_cast<std::uint32_t>(a.size));
    const QImage image(reinterpret_cast<const uchar*>(picture.argb.data()),
                       static_cast<int>(picture.width), static_cast<int>(picture.height),
                       static_cast<qsizetype>(picture.width) * 4, QImage::Format_ARGB32);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        throw FormatError("the thumbnail could not be encoded as PNG", a.input);
    }
    OutputRules rules;  // the picture being read is never the one replaced
    if (const auto input = IdentityOfPath(a.input)) {
        rules.inputs.push_back(*input);
    }
    WriteWholeOutput(a.output,
                     std::span(reinterpret_cast<const std::uint8_t*>(png.constData()),
                               static_cast<std::size_t>(png.size())),
                     true, rules);
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
    // The same bound lumigram-cli checks: this program may be run by itself.
    if (arguments.size < 1 || arguments.size > 4096) {
        PrintError("", "SIZE must be a number of pixels from 1 to 4096");
        return kExitUsage;
    }
    return RunReportingErrors(arguments.input, [&] { WriteThumbnail(arguments); });
}
