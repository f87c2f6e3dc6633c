// The AVX2 row kernels, for processors that have AVX2: 32 pixels (96 bytes,
// three registers) at a time; the rest of a row goes through the plain loop.
// Only these functions are built for AVX2, so nothing else in the program can
// pick up AVX2 instructions and fault on an older processor.
#include "codec/row_kernels_x86.h"

#ifdef LUMIGRAM_X86_ROW_KERNELS

#include <cpuid.h>
#include <immintrin.h>

#include <algorithm>
#include <cstring>

#include "codec/row_kernel_tables.h"

#define LUMIGRAM_AVX2 __attribute__((target("avx2")))

namespace lumigram {
namespace {

constexpr std::uint32_t kBlockPixels = 32;
constexpr std::size_t kBlockBytes = 3 * kBlockPixels;
constexpr row_tables::Constants<kBlockBytes> kTables{};

LUMIGRAM_AVX2 __m256i Load(const std::uint8_t* at) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}

LUMIGRAM_AVX2 void Store(std::uint8_t* at, __m256i value) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(at), value);
}

LUMIGRAM_AVX2 __m256i Table(const row_tables::Table<kBlockBytes>& table, int k) {
    return Load(table.data() + 32 * k);
}

// The 32 bytes that follow each byte of x, the last taken from next.
LUMIGRAM_AVX2 __m256i BytesAfter(__m256i x, __m256i next) {
    return _mm256_alignr_epi8(_mm256_permute2x128_si256(x, next, 0x21), x, 1);
}

// The 32 bytes that precede each byte of x, the first taken from previous.
LUMIGRAM_AVX2 __m256i BytesBefore(__m256i x, __m256i previous) {
    return _mm256_alignr_epi8(x, _mm256_permute2x128_si256(previous, x, 0x21), 15);
}

LUMIGRAM_AVX2 __m256i NarrowBytes(__m256i x, __m256i next, int k) {
    const __m256i own = _mm256_or_si256(
        _mm256_or_si256(_mm256_and_si256(_mm256_srli_epi16(x, 2), Table(kTables.narrowShr2, k)),
                        _mm256_and_si256(_mm256_srli_epi16(x, 4), Table(kTables.narrowShr4, k))),
        _mm256_and_si256(_mm256_srli_epi16(x, 6), Table(kTables.narrowShr6, k)));
    const __m256i carried = _mm256_or_si256(
        _mm256_and_si256(_mm256_slli_epi16(next, 4), Table(kTables.narrowNextShl4, k)),
        _mm256_and_si256(_mm256_slli_epi16(next, 2), Table(kTables.narrowNextShl2, k)));
    return _mm256_or_si256(own, carried);
}

LUMIGRAM_AVX2 __m256i WidenBytes(__m256i x, __m256i previous, int k) {
    const __m256i own = _mm256_or_si256(
        _mm256_or_si256(_mm256_and_si256(_mm256_slli_epi16(x, 2), Table(kTables.widenShl2, k)),
                        _mm256_and_si256(_mm256_slli_epi16(x, 4), Table(kTables.widenShl4, k))),
        _mm256_and_si256(_mm256_slli_epi16(x, 6), Table(kTables.widenShl6, k)));
    const __m256i carried = _mm256_or_si256(
        _mm256_and_si256(_mm256_srli_epi16(previous, 4), Table(kTables.widenPrevShr4, k)),
        _mm256_and_si256(_mm256_srli_epi16(previous, 2), Table(kTables.widenPrevShr2, k)));
    return _mm256_or_si256(own, carried);
}

LUMIGRAM_AVX2 std::uint32_t MatchBits(__m256i x, __m256i colour) {
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(x, colour)));
}

LUMIGRAM_AVX2 void NarrowRow24Avx2(std::span<std::uint8_t> row, std::uint32_t width,
                                   std::span<std::uint8_t> mask, std::uint32_t maskStride,
                                   TransparencyColour colour) {
    std::memset(mask.data(), 0, maskStride);
    const row_tables::Table<kBlockBytes> colourBytes = row_tables::ColourBlock<kBlockBytes>(colour);
    const __m256i c0 = Load(colourBytes.data());
    const __m256i c1 = Load(colourBytes.data() + 32);
    const __m256i c2 = Load(colourBytes.data() + 64);
    std::uint32_t i = 0;
    for (; i + kBlockPixels <= width; i += kBlockPixels) {
        std::uint8_t* p = row.data() + 3 * std::size_t{i};
        const __m256i x0 = Load(p);
        const __m256i x1 = Load(p + 32);
        const __m256i x2 = Load(p + 64);
        const std::uint32_t m0 = MatchBits(x0, c0);
        const std::uint32_t m1 = MatchBits(x1, c1);
        const std::uint32_t m2 = MatchBits(x2, c2);
        Store(p, NarrowBytes(x0, BytesAfter(x0, x1), 0));
        Store(p + 32, NarrowBytes(x1, BytesAfter(x1, x2), 1));
        Store(p + 64, NarrowBytes(x2, BytesAfter(x2, _mm256_setzero_si256()), 2));
        // Pixels 0-15 own bytes 0-47, pixels 16-31 bytes 48-95.
        const std::uint64_t firstHalf = m0 | std::uint64_t{m1 & 0xFFFFu} << 32;
        const std::uint64_t secondHalf = (m1 >> 16) | std::uint64_t{m2} << 16;
        const std::uint32_t opaque =
            ~(row_tables::PixelsMatching(firstHalf) | row_tables::PixelsMatching(secondHalf) << 16);
        const std::uint32_t group = i / 8;
        for (std::uint32_t q = 0; q < 4 && group + q < maskStride; ++q) {
            mask[group + q] = static_cast<std::uint8_t>(opaque >> (8 * q));
        }
    }
    const std::uint32_t group = i / 8;
    const std::uint32_t restStride = maskStride > group ? maskStride - group : 0;
    ScalarRowKernels().narrow24(row.subspan(3 * std::size_t{i}), width - i,
                                mask.subspan(std::min<std::size_t>(group, mask.size())), restStride,
                                colour);
}

LUMIGRAM_AVX2 void WidenRow18Avx2(std::span<std::uint8_t> row, std::uint32_t width,
                                  std::span<const std::uint8_t> mask, std::size_t maskBytes,
                                  TransparencyColour colour) {
    const row_tables::Table<kBlockBytes> colourBytes = row_tables::ColourBlock<kBlockBytes>(colour);
    std::uint32_t i = 0;
    for (; i + kBlockPixels <= width; i += kBlockPixels) {
        std::uint8_t* p = row.data() + 3 * std::size_t{i};
        const __m256i x0 = Load(p);
        const __m256i x1 = Load(p + 32);
        const __m256i x2 = Load(p + 64);
        __m256i out[3] = {
            WidenBytes(x0, BytesBefore(x0, _mm256_setzero_si256()), 0),
            WidenBytes(x1, BytesBefore(x1, x0), 1),
            WidenBytes(x2, BytesBefore(x2, x1), 2),
        };
        const std::size_t group = i / 8;
        std::uint32_t bits = 0;
        for (std::size_t q = 0; q < 4; ++q) {
            bits |= (group + q < maskBytes ? std::uint32_t{mask[group + q]} : 0xFFu) << (8 * q);
        }
        if (bits != 0xFFFFFFFFu) {
            const __m256i all = _mm256_set1_epi32(static_cast<int>(bits));
            for (int k = 0; k < 3; ++k) {
                const __m256i own = _mm256_shuffle_epi8(all, Table(kTables.pixelMaskByte, k));
                const __m256i bit = Table(kTables.pixelBit, k);
                const __m256i opaque = _mm256_cmpeq_epi8(_mm256_and_si256(own, bit), bit);
                out[k] = _mm256_blendv_epi8(Load(colourBytes.data() + 32 * k), out[k], opaque);
            }
        }
        Store(p, out[0]);
        Store(p + 32, out[1]);
        Store(p + 64, out[2]);
    }
    const std::size_t group = i / 8;
    ScalarRowKernels().widen18(row.subspan(3 * std::size_t{i}), width - i,
                               mask.subspan(std::min(group, mask.size())),
                               maskBytes > group ? maskBytes - group : 0, colour);
}

}  // namespace

const RowKernels kAvx2RowKernels{"avx2", NarrowRow24Avx2, WidenRow18Avx2};

// Asked directly rather than through the compiler's processor table, which
// would be filled by a constructor at every start of the program.
bool CpuRunsAvx2() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (__get_cpuid(1, &a, &b, &c, &d) == 0 || (c & bit_OSXSAVE) == 0 || (c & bit_AVX) == 0) {
        return false;
    }
    // The operating system must save the wide registers (XCR0 bits 1 and 2).
    unsigned low = 0, high = 0;
    __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    if ((low & 6u) != 6u) {
        return false;
    }
    return __get_cpuid_count(7, 0, &a, &b, &c, &d) != 0 && (b & bit_AVX2) != 0;
}

}  // namespace lumigram

#endif
