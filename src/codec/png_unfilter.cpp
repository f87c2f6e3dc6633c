#include "codec/png_unfilter.h"

#include <cstdlib>
#include <cstring>

#include "codec/png_filters.h"
#include "codec/row_kernels.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lumigram {
namespace {

enum : std::uint8_t { kNone = 0, kSub = 1, kUp = 2, kAverage = 3, kPaeth = 4 };

void UnfilterScalar(std::uint8_t type, std::uint8_t* r, const std::uint8_t* p, std::size_t n,
                    std::size_t bpp) {
    const std::size_t first = bpp < n ? bpp : n;
    switch (type) {
        case kSub:
            for (std::size_t i = first; i < n; ++i) {
                r[i] = static_cast<std::uint8_t>(r[i] + r[i - bpp]);
            }
            break;
        case kUp:
            for (std::size_t i = 0; i < n; ++i) {
                r[i] = static_cast<std::uint8_t>(r[i] + p[i]);
            }
            break;
        case kAverage:
            for (std::size_t i = 0; i < first; ++i) {
                r[i] = static_cast<std::uint8_t>(r[i] + p[i] / 2);
            }
            for (std::size_t i = first; i < n; ++i) {
                r[i] = static_cast<std::uint8_t>(r[i] + (r[i - bpp] + p[i]) / 2);
            }
            break;
        case kPaeth:
            for (std::size_t i = 0; i < first; ++i) {
                r[i] = static_cast<std::uint8_t>(r[i] + p[i]);
            }
            for (std::size_t i = first; i < n; ++i) {
                r[i] =
                    static_cast<std::uint8_t>(r[i] + PaethPredictor(r[i - bpp], p[i], p[i - bpp]));
            }
            break;
        default:
            break;
    }
}

#if defined(__SSE2__)
// Sub, Average and Paeth depend on the pixel to the left, so the vector form
// goes one pixel at a time, its channels side by side in 16-bit lanes; Up has
// no such chain and goes sixteen bytes at a time.
__m128i Widen(std::uint32_t bytes) {
    return _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(bytes)), _mm_setzero_si128());
}

std::uint32_t Load4(const std::uint8_t* at) {
    std::uint32_t v = 0;
    std::memcpy(&v, at, 4);
    return v;
}

std::uint32_t Narrow(__m128i pixel16) {
    return static_cast<std::uint32_t>(
        _mm_cvtsi128_si32(_mm_packus_epi16(pixel16, _mm_setzero_si128())));
}

__m128i Abs16(__m128i v) {
    return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v));
}

__m128i Select(__m128i mask, __m128i yes, __m128i no) {
    return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}

// Pixels are loaded four bytes at a time, also at three bytes a pixel (a
// narrower load is put together in memory, and reading that back stalls the
// processor): the fourth lane then carries a byte of the next pixel, never
// stored, and the row's last pixel is left to the plain loop. Only the
// pixel's own bytes are stored, so that the next load reads nothing just
// written.
template <std::size_t bytesPerPixel>
void UnfilterChain(std::uint8_t type, std::uint8_t* r, const std::uint8_t* p, std::size_t n) {
    const __m128i low = _mm_set1_epi16(0xFF);
    __m128i a = _mm_setzero_si128();  // the restored pixel to the left
    __m128i c = _mm_setzero_si128();  // the pixel above that one
    std::size_t i = 0;
    for (; i + 4 <= n; i += bytesPerPixel) {
        const __m128i b = Widen(Load4(p + i));
        __m128i predicted;
        if (type == kSub) {
            predicted = a;
        } else if (type == kAverage) {
            predicted = _mm_srli_epi16(_mm_add_epi16(a, b), 1);
        } else {
            const __m128i pa = Abs16(_mm_sub_epi16(b, c));
            const __m128i pb = Abs16(_mm_sub_epi16(a, c));
            const __m128i pc = Abs16(_mm_sub_epi16(_mm_add_epi16(a, b), _mm_add_epi16(c, c)));
            const __m128i notA = _mm_or_si128(_mm_cmpgt_epi16(pa, pb), _mm_cmpgt_epi16(pa, pc));
            predicted = Select(notA, Select(_mm_cmpgt_epi16(pb, pc), c, b), a);
        }
        a = _mm_and_si128(_mm_add_epi16(Widen(Load4(r + i)), predicted), low);
        const std::uint32_t restored = Narrow(a);
        std::memcpy(r + i, &restored, bytesPerPixel);
        c = b;
    }
    // A row whose length is not a whole number of pixels cannot occur for
    // the pictures sent here; finish any tail the plain way all the same.
    for (; i < n; ++i) {
        const int left = i >= bytesPerPixel ? r[i - bytesPerPixel] : 0;
        const int upLeft = i >= bytesPerPixel ? p[i - bytesPerPixel] : 0;
        const int predicted = type == kSub       ? left
                              : type == kAverage ? (left + p[i]) / 2
                                                 : PaethPredictor(left, p[i], upLeft);
        r[i] = static_cast<std::uint8_t>(r[i] + predicted);
    }
}

void UnfilterSse2(std::uint8_t type, std::uint8_t* r, const std::uint8_t* p, std::size_t n,
                  std::size_t bpp) {
    if (type == kUp) {
        std::size_t i = 0;
        for (; i + 16 <= n; i += 16) {
            const __m128i sum =
                _mm_add_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(r + i)),
                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(r + i), sum);
        }
        UnfilterScalar(kUp, r + i, p + i, n - i, bpp);
    } else if (bpp == 4) {
        UnfilterChain<4>(type, r, p, n);
    } else if (bpp == 3) {
        UnfilterChain<3>(type, r, p, n);
    } else {
        UnfilterScalar(type, r, p, n, bpp);
    }
}
#endif

#if defined(__SSE2__)
bool UseVectors() {
    static const bool kVectors = std::strcmp(ActiveRowKernels().name, "scalar") != 0;
    return kVectors;
}
#endif

}  // namespace

bool UnfilterPngRow(std::uint8_t filterType, std::span<std::uint8_t> row,
                    std::span<const std::uint8_t> prior, unsigned bytesPerPixel) {
    if (filterType > kPaeth) {
        return false;
    }
    if (filterType == kNone || row.empty()) {
        return true;
    }
#if defined(__SSE2__)
    if (UseVectors()) {
        UnfilterSse2(filterType, row.data(), prior.data(), row.size(), bytesPerPixel);
        return true;
    }
#endif
    UnfilterScalar(filterType, row.data(), prior.data(), row.size(), bytesPerPixel);
    return true;
}

}  // namespace lumigram
