// The core's PNG reader against libspng, the reader the Linux build used, on
// arbitrary bytes from memory: every PNG libspng reads, the core reads too,
// with the same size, the same alpha and 32-bit marker, and the same RGBA
// pixels, unless an IDAT chunk is cut short or its CRC is damaged (the core checks
// every one whole; libspng leaves the rest of the last one unread).
#include "fuzz_support.h"
#include "support/spng_oracle.h"

using namespace lumigram;

namespace {

// Pictures of more pixels are left alone: right but slow to fuzz.
constexpr std::uint64_t kMostPixels = 1u << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> png(data, size);
    const std::optional<test::PngReading> theirs = test::ReadWithLibspng(png, kMostPixels);
    if (!theirs) {
        // Not read by libspng: the core must only not crash. (A size it
        // refuses is refused before any pixel is read.)
        const auto be32 = [&](std::size_t at) {
            return std::uint32_t{data[at]} << 24 | std::uint32_t{data[at + 1]} << 16 |
                   std::uint32_t{data[at + 2]} << 8 | data[at + 3];
        };
        if (size >= 24 && std::uint64_t{be32(16)} * be32(20) <= kMostPixels) {
            test::ReadWithCore(png);
        }
        return 0;
    }
    const std::optional<test::PngReading> ours = test::ReadWithCore(png);
    if (!ours) {
        if (test::ImageDataChunksSound(png)) {
            fuzz::Fail("a PNG libspng reads was refused");
        }
        return 0;
    }
    if (!(*ours == *theirs)) {
        fuzz::Fail("the core's pixels differ from libspng's");
    }
    return 0;
}
