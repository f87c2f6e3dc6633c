#include "codec/skin_sampler.h"

#include <algorithm>
#include <array>
#include <span>

#include "codec/skin_decoder.h"
#include "codec/skin_format.h"
#include "codec/work_buffers.h"
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

// One source row, as stored, with its mask row (maskBytes of it present).
class SourceRow {
  public:
    SourceRow(ByteFile& input, const SkinHeader& header)
        : input_(input),
          header_(header),
          maskStride_(MaskStrideFor(header.width)),
          maskPlane_(kSkinHeaderSize + std::uint64_t{header.height} * header.rowStride),
          buffers_(CodecRowBuffers()) {}

    void Load(std::uint32_t s) {
        if (s == loaded_) {
            return;
        }
        // Complete: the header check saw every row in the file.
        input_.ReadAt(kSkinHeaderSize + std::uint64_t{s} * header_.rowStride,
                      std::span(buffers_.row.data(), header_.rowStride));
        maskBytes_ = 0;
        if (header_.bitsPerPixel == 18 && maskStride_ > 0) {
            maskBytes_ = input_.ReadAt(maskPlane_ + std::uint64_t{s} * maskStride_,
                                       std::span(buffers_.mask.data(), maskStride_));
        }
        loaded_ = s;
    }

    void Add(std::uint32_t x, Sum& sum) const {
        const std::uint8_t* row = buffers_.row.data();
        std::uint32_t blue = 0;
        std::uint32_t green = 0;
        std::uint32_t red = 0;
        bool opaque = true;
        if (header_.bitsPerPixel == 18) {
            const std::uint8_t* p = row + 3 * std::size_t{x};
            const std::uint32_t v = p[0] | (p[1] << 8) | (std::uint32_t{p[2]} << 16);
            blue = (v & 63) << 2;
            green = ((v >> 6) & 63) << 2;
            red = ((v >> 12) & 63) << 2;
            // A mask bit that is not in the file counts as opaque, as in decoding.
            opaque = x / 8 >= maskBytes_ || ((buffers_.mask[x / 8] >> (x % 8)) & 1);
        } else {
            const std::uint8_t* p = row + (header_.bitsPerPixel == 32 ? 4 : 3) * std::size_t{x};
            blue = p[0];
            green = p[1];
            red = p[2];
        }
        ++sum.count;
        if (opaque) {
            sum.alpha += 255;
            sum.red += red;
            sum.green += green;
            sum.blue += blue;
        }
    }

  private:
    ByteFile& input_;
    SkinHeader header_;
    std::uint32_t maskStride_;
    std::uint64_t maskPlane_;
    RowBuffers& buffers_;
    std::uint32_t loaded_ = UINT32_MAX;
    std::size_t maskBytes_ = 0;
};

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
    const SkinHeader header = ReadCheckedSkinHeader(input);
    const std::uint32_t width = header.width;
    const std::uint32_t height = header.height;
    if (width == 0 || height == 0 || maxSide == 0) {
        throw FormatError("the picture has no pixels to show", path);
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

    SourceRow row(input, header);
    std::vector<Sum> sums(out.width);
    for (std::uint32_t y = 0; y < out.height; ++y) {
        std::fill(sums.begin(), sums.end(), Sum{});
        for (std::uint32_t ky = 0; ky < n; ++ky) {
            row.Load(SampleAt(y, ky, n, out.height, height));
            for (std::uint32_t x = 0; x < out.width; ++x) {
                for (std::uint32_t kx = 0; kx < n; ++kx) {
                    row.Add(SampleAt(x, kx, n, out.width, width), sums[x]);
                }
            }
        }
        for (std::uint32_t x = 0; x < out.width; ++x) {
            out.argb[std::size_t{y} * out.width + x] = Pixel(sums[x]);
        }
    }
    input.Close();
    return out;
}

}  // namespace lumigram
