// The SSE2 row kernels: every x86-64 processor has them. 16 pixels (48 bytes,
// three registers) at a time; the rest of a row goes through the plain loop.
#include "codec/row_kernels_x86.h"

#ifdef LUMIGRAM_X86_ROW_KERNELS

#include <emmintrin.h>

#include <algorithm>
#include <cstring>

#include "codec/row_kernel_tables.h"

namespace lumigram {
namespace {

constexpr std::uint32_t kBlockPixels = 16;
constexpr std::size_t kBlockBytes = 3 * kBlockPixels;
constexpr row_tables::Constants<kBlockBytes> kTables{};

__m128i Load(const std::uint8_t* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

__m128i Table(const row_tables::Table<kBlockBytes>& table, int k) {
    return Load(table.data() + 16 * k);
}

__m128i NarrowBytes(__m128i x, __m128i next, int k) {
    const __m128i own = _mm_or_si128(
        _mm_or_si128(_mm_and_si128(_mm_srli_epi16(x, 2), Table(kTables.narrowShr2, k)),
                     _mm_and_si128(_mm_srli_epi16(x, 4), Table(kTables.narrowShr4, k))),
        _mm_and_si128(_mm_srli_epi16(x, 6), Table(kTables.narrowShr6, k)));
    const __m128i carried =
        _mm_or_si128(_mm_and_si128(_mm_slli_epi16(next, 4), Table(kTables.narrowNextShl4, k)),
                     _mm_and_si128(_mm_slli_epi16(next, 2), Table(kTables.narrowNextShl2, k)));
    return _mm_or_si128(own, carried);
}

__m128i WidenBytes(__m128i x, __m128i previous, int k) {
    const __m128i own =
        _mm_or_si128(_mm_or_si128(_mm_and_si128(_mm_slli_epi16(x, 2), Table(kTables.widenShl2, k)),
                                  _mm_and_si128(_mm_slli_epi16(x, 4), Table(kTables.widenShl4, k))),
                     _mm_and_si128(_mm_slli_epi16(x, 6), Table(kTables.widenShl6, k)));
    const __m128i carried =
        _mm_or_si128(_mm_and_si128(_mm_srli_epi16(previous, 4), Table(kTables.widenPrevShr4, k)),
                     _mm_and_si128(_mm_srli_epi16(previous, 2), Table(kTables.widenPrevShr2, k)));
    return _mm_or_si128(own, carried);
}

void NarrowRow24Sse2(std::span<std::uint8_t> row, std::uint32_t width, std::span<std::uint8_t> mask,
                     std::uint32_t maskStride, TransparencyColour colour) {
    std::memset(mask.data(), 0, maskStride);
    const row_tables::Table<kBlockBytes> colourBytes = row_tables::ColourBlock<kBlockBytes>(colour);
    const __m128i c0 = Load(colourBytes.data());
    const __m128i c1 = Load(colourBytes.data() + 16);
    const __m128i c2 = Load(colourBytes.data() + 32);
    std::uint32_t i = 0;
    for (; i + kBlockPixels <= width; i += kBlockPixels) {
        std::uint8_t* p = row.data() + 3 * std::size_t{i};
        const __m128i x0 = Load(p);
        const __m128i x1 = Load(p + 16);
        const __m128i x2 = Load(p + 32);
        const __m128i y0 = _mm_or_si128(_mm_srli_si128(x0, 1), _mm_slli_si128(x1, 15));
        const __m128i y1 = _mm_or_si128(_mm_srli_si128(x1, 1), _mm_slli_si128(x2, 15));
        const __m128i y2 = _mm_srli_si128(x2, 1);
        const std::uint64_t matching =
            static_cast<std::uint64_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(x0, c0))) |
            static_cast<std::uint64_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(x1, c1))) << 16 |
            static_cast<std::uint64_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(x2, c2))) << 32;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), NarrowBytes(x0, y0, 0));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16), NarrowBytes(x1, y1, 1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 32), NarrowBytes(x2, y2, 2));
        const std::uint32_t opaque = ~row_tables::PixelsMatching(matching);
        const std::uint32_t group = i / 8;
        for (std::uint32_t q = 0; q < 2 && group + q < maskStride; ++q) {
            mask[group + q] = static_cast<std::uint8_t>(opaque >> (8 * q));
        }
    }
    const std::uint32_t group = i / 8;
    const std::uint32_t restStride = maskStride > group ? maskStride - group : 0;
    ScalarRowKernels().narrow24(row.subspan(3 * std::size_t{i}), width - i,
                                mask.subspan(std::min<std::size_t>(group, mask.size())), restStride,
                                colour);
}

void WidenRow18Sse2(std::span<std::uint8_t> row, std::uint32_t width,
                    std::span<const std::uint8_t> mask, std::size_t maskBytes,
                    TransparencyColour colour) {
    const row_tables::Table<kBlockBytes> colourBytes = row_tables::ColourBlock<kBlockBytes>(colour);
    const __m128i zero = _mm_setzero_si128();
    std::uint32_t i = 0;
    for (; i + kBlockPixels <= width; i += kBlockPixels) {
        std::uint8_t* p = row.data() + 3 * std::size_t{i};
        const __m128i x0 = Load(p);
        const __m128i x1 = Load(p + 16);
        const __m128i x2 = Load(p + 32);
        __m128i out[3] = {
            WidenBytes(x0, _mm_slli_si128(x0, 1), 0),
            WidenBytes(x1, _mm_or_si128(_mm_slli_si128(x1, 1), _mm_srli_si128(x0, 15)), 1),
            WidenBytes(x2, _mm_or_si128(_mm_slli_si128(x2, 1), _mm_srli_si128(x1, 15)), 2),
        };
        const std::size_t group = i / 8;
        const unsigned low = group < maskBytes ? mask[group] : 0xFFu;
        const unsigned high = group + 1 < maskBytes ? mask[group + 1] : 0xFFu;
        if ((low & high) != 0xFFu) {
            const __m128i lowBytes = _mm_set1_epi8(static_cast<char>(low));
            const __m128i highBytes = _mm_set1_epi8(static_cast<char>(high));
            for (int k = 0; k < 3; ++k) {
                const __m128i inLow = _mm_cmpeq_epi8(Table(kTables.pixelMaskByte, k), zero);
                const __m128i bits = _mm_or_si128(_mm_and_si128(inLow, lowBytes),
                                                  _mm_andnot_si128(inLow, highBytes));
                const __m128i bit = Table(kTables.pixelBit, k);
                const __m128i opaque = _mm_cmpeq_epi8(_mm_and_si128(bits, bit), bit);
                out[k] = _mm_or_si128(_mm_and_si128(opaque, out[k]),
                                      _mm_andnot_si128(opaque, Load(colourBytes.data() + 16 * k)));
            }
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), out[0]);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16), out[1]);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 32), out[2]);
    }
    const std::size_t group = i / 8;
    ScalarRowKernels().widen18(row.subspan(3 * std::size_t{i}), width - i,
                               mask.subspan(std::min(group, mask.size())),
                               maskBytes > group ? maskBytes - group : 0, colour);
}

}  // namespace

const RowKernels kSse2RowKernels{"sse2", NarrowRow24Sse2, WidenRow18Sse2};

}  // namespace lumigram

#endif
