#include "codec/skin_from_rgba.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "codec/rgba_rows.h"
#include "codec/row_kernels.h"
#include "codec/work_buffers.h"
#include "platform/block_writer.h"
#include "platform/byte_sink.h"

namespace lumigram {
namespace {

constexpr std::uint8_t kOpaqueAlpha = 128;

// Packs one RGBA row into 6:6:6 pixels and its mask row (bit set = opaque),
// eight pixels to a mask byte.
void PackRgbaRow(std::span<const std::uint8_t> rgba, std::uint32_t width,
                 std::span<std::uint8_t> row, std::span<std::uint8_t> mask,
                 TransparencyColour colour, bool transparencyEnabled) {
    std::fill(mask.begin(), mask.end(), std::uint8_t{0});
    const std::uint32_t key = Narrow666(colour.blue, colour.green, colour.red);
    const std::uint8_t* p = rgba.data();
    std::uint8_t* out = row.data();
    std::uint32_t x = 0;
#if defined(__SSE2__)
    static const bool kVectors = std::strcmp(ActiveRowKernels().name, "scalar") != 0;
    if (kVectors) {
        // Eight pixels a step, four to a vector, while more pixels follow: each
        // 6:6:6 pixel is stored as four bytes, the fourth (zero) overwritten by
        // the next pixel. An opaque pixel is one whose alpha has its top bit set
        // (kOpaqueAlpha is 128).
        const __m128i keyPixels = _mm_set1_epi32(static_cast<int>(key));
        const __m128i all = _mm_set1_epi32(transparencyEnabled ? 0 : -1);
        for (; x + 8 < width; x += 8) {
            unsigned bits = 0;
            for (unsigned half = 0; half < 2; ++half, p += 16) {
                const __m128i px = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
                const __m128i red = _mm_slli_epi32(_mm_and_si128(px, _mm_set1_epi32(0xFC)), 10);
                const __m128i green = _mm_srli_epi32(_mm_and_si128(px, _mm_set1_epi32(0xFC00)), 4);
                const __m128i blue =
                    _mm_srli_epi32(_mm_and_si128(px, _mm_set1_epi32(0xFC0000)), 18);
                const __m128i opaque = _mm_or_si128(_mm_srai_epi32(px, 31), all);
                const __m128i v = _mm_or_si128(
                    _mm_and_si128(opaque, _mm_or_si128(red, _mm_or_si128(green, blue))),
                    _mm_andnot_si128(opaque, keyPixels));
                bits |= static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(opaque)))
                        << (4 * half);
                alignas(16) std::uint32_t packed[4];
                _mm_store_si128(reinterpret_cast<__m128i*>(packed), v);
                for (const std::uint32_t pixel : packed) {
                    std::memcpy(out, &pixel, 4);
                    out += 3;
                }
            }
            if (x / 8 < mask.size()) {
                mask[x / 8] = static_cast<std::uint8_t>(bits);
            }
        }
    }
#endif
    for (; x < width; x += 8) {
        const std::uint32_t count = std::min<std::uint32_t>(8, width - x);
        unsigned bits = 0;
        for (std::uint32_t i = 0; i < count; ++i, p += 4, out += 3) {
            const bool opaque = !transparencyEnabled || p[3] >= kOpaqueAlpha;
            const std::uint32_t v = opaque ? Narrow666(p[2], p[1], p[0]) : key;
            out[0] = static_cast<std::uint8_t>(v);
            out[1] = static_cast<std::uint8_t>(v >> 8);
            out[2] = static_cast<std::uint8_t>(v >> 16);
            bits |= unsigned{opaque} << i;
        }
        if (x / 8 < mask.size()) {
            mask[x / 8] = static_cast<std::uint8_t>(bits);
        }
    }
}

void PackRgbaRow32(std::span<const std::uint8_t> rgba, std::uint32_t width,
                   std::span<std::uint8_t> row) {
    for (std::uint32_t i = 0; i < width; ++i) {
        const std::uint8_t* p = rgba.data() + std::size_t{i} * 4;
        std::uint8_t* out = row.data() + std::size_t{i} * 4;
        out[0] = p[2];
        out[1] = p[1];
        out[2] = p[0];
        out[3] = p[3];
    }
}

}  // namespace

void EncodeRowsToSkin(RgbaRowSource& source, ByteSink& output, TransparencyColour colour,
                      bool transparencyEnabled) {
    const bool bits32 = source.keeps32Bits();
    const std::uint32_t width = source.width();
    const std::uint32_t height = source.height();
    SkinHeader header;
    header.width = static_cast<std::uint16_t>(width);
    header.height = static_cast<std::uint16_t>(height);
    header.bitsPerPixel = bits32 ? 32 : 18;
    header.rowStride = static_cast<std::uint16_t>(RoundUpTo4(width * (bits32 ? 4 : 3)));
    output.Write(MakeSkinHeader(header));

    RowBuffers& buffers = CodecRowBuffers();
    std::vector<std::uint8_t> rgba(std::size_t{width} * 4);
    const std::span<std::uint8_t> row(buffers.row.data(), header.rowStride);
    std::fill(row.begin(), row.end(), std::uint8_t{0});  // row padding stays zero
    const std::uint32_t maskStride = bits32 ? 0 : MaskStrideFor(width);
    const std::span<std::uint8_t> mask(buffers.mask.data(), maskStride);
    const bool withMask = !bits32 && transparencyEnabled && source.hasAlpha();
    const bool masksBesideRows = !output.IsStream();
    const std::uint64_t maskPlane = kSkinHeaderSize + std::uint64_t{height} * header.rowStride;
    BlockWriter rows(output, kSkinHeaderSize, buffers.pixelBlock);
    BlockWriter masks(output, maskPlane, buffers.maskBlock);

    for (std::uint32_t y = 0; y < height; ++y) {
        source.NextRow(rgba);
        if (bits32) {
            PackRgbaRow32(rgba, width, row);
        } else {
            PackRgbaRow(rgba, width, row, mask, colour, transparencyEnabled);
            if (withMask && masksBesideRows) {
                masks.Append(mask);
            }
        }
        rows.Append(row);
    }
    rows.Flush();
    if (withMask && !masksBesideRows && maskStride > 0) {
        source.Rewind();
        for (std::uint32_t y = 0; y < height; ++y) {
            source.NextRow(rgba);
            PackRgbaRow(rgba, width, row, mask, colour, transparencyEnabled);
            masks.Append(mask);
        }
    }
    masks.Flush();
}

}  // namespace lumigram
