// convert on arbitrary bytes from memory: each input goes the way its content calls for
// (".k" to PNG, BMP or PNG to ".k", GIF to ".g") and either converts or raises
// an Error naming a file; a ".k" made from a PNG goes back to PNG.
#include <optional>

#include "codec/picture_conversion.h"
#include "fuzz_support.h"
#include "platform/byte_sink.h"
#include "platform/byte_source.h"
#include "platform/io_error.h"

using namespace lumigram;

namespace {

// A PNG whose header claims more pixels than this is left alone: its ".k" would
// be as large as it claims, which is right but slow to fuzz.
constexpr std::uint64_t kMostPixels = 1u << 20;

std::uint32_t Big32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           p[3];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size >= 24 && data[0] == 0x89 && data[1] == 'P' &&
        std::uint64_t{Big32(data + 16)} * Big32(data + 20) > kMostPixels) {
        return 0;
    }
    MemorySource input(std::span(data, size), "in.pic");
    try {
        const PictureKind kind = PictureKindOf(input);
        const std::optional<TargetFormat> target = DefaultTarget(kind);
        if (!target) {
            return 0;
        }
        MemorySink output("out");
        ConvertPicture(input, kind, *target, output, ConversionOptions{});
        if (kind == PictureKind::kPng && *target == TargetFormat::kK) {
            MemorySource skin(output.bytes(), "out");
            MemorySink png("out.png");
            ConvertPicture(skin, PictureKindOf(skin), TargetFormat::kPng, png, ConversionOptions{});
        }
    } catch (const Error& error) {
        if (error.path().empty()) {
            fuzz::Fail(std::string("an error that names no file: ") + error.what());
        }
    }
    return 0;
}
