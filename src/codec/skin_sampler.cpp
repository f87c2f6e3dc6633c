#include "codec/skin_sampler.h"

#include <algorithm>
#include <array>
#include <span>

#include "codec/skin_decoder.h"
#include "codec/skin_format.h"
#include "codec/skin_rows.h"
#include "platform/byte_file.h"
#include "platform/io_error.h"

namespace lumigram {
namespace {

// Sums of the samples of one output pixel, colours weighted by opacity.
struct Sum {
    std::uint32_t alpha = 0;
    std::uint32_t red = 0;
    std::uint32_t green = 0;
    std::uint32_t blue = 0;
    std::uint32_t count = 0;
};

// Adds pixel x of the current row to sum: its colour widened as the BMP
// decode gives it (at depths other than 18 and 32, the row's 24-bit pixels).
void Add(const SkinRows& rows, const SkinHeader& header, std::uint32_t x, Sum& sum) {
    std::uint32_t blue = 0;
    std::uint32_t green = 0;
    std::uint32_t red = 0;
    if (header.bitsPerPixel == 18) {
        const std::uint32_t v = Stored666(rows.pixels() + 3 * std::size_t{x});
        blue = WidenSix(v);
        green = WidenSix(v >> 6);
        red = WidenSix(v >> 12);
    } else {
        const std::uint8_t* p =
            rows.pixels() + (header.bitsPerPixel == 32 ? 4 : 3) * std::size_t{x};
        blue = p[0];
        green = p[1];
        red = p[2];
    }
    ++sum.count;
    if (rows.Opaque(x)) {
        sum.alpha += 255;
        sum.red += red;
        sum.green += green;
        sum.blue += blue;
    }
}

std::uint32_t Pixel(const Sum& sum) {
    if (sum.alpha == 0) {
        return 0;
    }
    const std::uint32_t opaque = sum.alpha / 255;
    const std::uint32_t alpha = (sum.alpha + sum.count / 2) / sum.count;
    return (alpha << 24) | (((sum.red + opaque / 2) / opaque) << 16) |
           (((sum.green + opaque / 2) / opaque) << 8) | ((sum.blue + opaque / 2) / opaque);
}

// Where sample k of n (k < n) of output cell i of count cells falls among size
// source pixels: at the centres of n equal parts of the cell.
std::uint32_t SampleAt(std::uint32_t i, std::uint32_t k, std::uint32_t n, std::uint32_t count,
                       std::uint32_t size) {
    const std::uint64_t numerator = (std::uint64_t{i} * n + k) * 2 + 1;
    return static_cast<std::uint32_t>(
        std::min<std::uint64_t>(numerator * size / (std::uint64_t{count} * n * 2), size - 1));
}

}  // namespace

SampledPicture SampleSkinPicture(const std::string& path, std::uint32_t maxSide) {
    ByteFile input = ByteFile::OpenRead(path);
    SampledPicture out = SampleSkinPicture(input, maxSide);
    input.Close();
    return out;
}

SampledPicture SampleSkinPicture(ByteSource& input, std::uint32_t maxSide) {
    const SkinHeader header = ReadCheckedSkinHeader(input);
    const std::uint32_t width = header.width;
    const std::uint32_t height = header.height;
    if (width == 0 || height == 0 || maxSide == 0) {
        throw FormatError("the picture has no pixels to show", input.name());
    }
    SampledPicture out;
    out.width = width;
    out.height = height;
    if (width > maxSide || height > maxSide) {
        const std::uint32_t longest = std::max(width, height);
        out.width = std::max<std::uint32_t>(
            1, static_cast<std::uint32_t>(std::uint64_t{width} * maxSide / longest));
        out.height = std::max<std::uint32_t>(
            1, static_cast<std::uint32_t>(std::uint64_t{height} * maxSide / longest));
    }
    // A picture that is scaled down gets 2 × 2 samples a pixel, for smoother
    // edges; one that fits is copied pixel for pixel.
    const std::uint32_t n = out.width == width && out.height == height ? 1 : 2;
    out.argb.resize(std::size_t{out.width} * out.height);

    SkinRows rows(input, header, true);
    std::vector<Sum> sums(out.width);
    for (std::uint32_t y = 0; y < out.height; ++y) {
        std::fill(sums.begin(), sums.end(), Sum{});
        for (std::uint32_t ky = 0; ky < n; ++ky) {
            rows.Load(SampleAt(y, ky, n, out.height, height));
            for (std::uint32_t x = 0; x < out.width; ++x) {
                for (std::uint32_t kx = 0; kx < n; ++kx) {
                    Add(rows, header, SampleAt(x, kx, n, out.width, width), sums[x]);
                }
            }
        }
        for (std::uint32_t x = 0; x < out.width; ++x) {
            out.argb[std::size_t{y} * out.width + x] = Pixel(sums[x]);
        }
    }
    return out;
}

}  // namespace lumigram
