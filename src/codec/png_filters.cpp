#include "codec/png_filters.h"

#include <algorithm>
#include <cstdlib>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lumigram {
namespace {

constexpr std::uint8_t kSubFilter = 1;
constexpr std::uint8_t kUpFilter = 2;
constexpr std::uint8_t kPaethFilter = 4;

// The magnitude of a filtered byte read as signed: small values either side of
// zero are what deflate finds most of.
unsigned Cost(std::uint8_t v) {
    return v < 128 ? v : 256u - v;
}

#if defined(__SSE2__)
// Paeth on eight bytes at once in 16-bit lanes: every x86-64 processor has
// SSE2, and the compiler does not vectorise the scalar loop's choices.
__m128i Abs16(__m128i v) {
    return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v));
}

__m128i Select(__m128i mask, __m128i yes, __m128i no) {
    return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}

__m128i Load8(const std::uint8_t* at) {
    return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(at)),
                             _mm_setzero_si128());
}

// Filters bytes from i on while eight remain; returns where it stopped.
std::size_t PaethEights(const std::uint8_t* r, const std::uint8_t* p, std::size_t i, std::size_t n,
                        std::size_t bpp, std::uint8_t* o) {
    const __m128i low = _mm_set1_epi16(0xFF);
    for (; i + 8 <= n; i += 8) {
        const __m128i a = Load8(r + i - bpp);
        const __m128i b = Load8(p + i);
        const __m128i c = Load8(p + i - bpp);
        const __m128i pa = Abs16(_mm_sub_epi16(b, c));
        const __m128i pb = Abs16(_mm_sub_epi16(a, c));
        const __m128i pc = Abs16(_mm_sub_epi16(_mm_add_epi16(a, b), _mm_add_epi16(c, c)));
        // pa <= pb and pa <= pc: a; else pb <= pc: b; else c.
        const __m128i useA = _mm_andnot_si128(
            _mm_or_si128(_mm_cmpgt_epi16(pa, pb), _mm_cmpgt_epi16(pa, pc)), _mm_set1_epi16(-1));
        const __m128i useB = _mm_andnot_si128(_mm_cmpgt_epi16(pb, pc), _mm_set1_epi16(-1));
        const __m128i predicted = Select(useA, a, Select(useB, b, c));
        const __m128i filtered = _mm_and_si128(_mm_sub_epi16(Load8(r + i), predicted), low);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(o + i),
                         _mm_packus_epi16(filtered, _mm_setzero_si128()));
    }
    return i;
}
#endif

}  // namespace

void FilterPngRow(std::span<const std::uint8_t> row, std::span<const std::uint8_t> prior,
                  unsigned bytesPerPixel, std::span<std::uint8_t> out) {
    const std::size_t n = row.size();
    const std::uint8_t* r = row.data();
    const std::uint8_t* p = prior.data();
    std::uint8_t* o = out.data() + 1;
    const std::size_t first = std::min<std::size_t>(n, bytesPerPixel);

    // Paeth into out, Sub and Up only costed; the first pixel has no left
    // neighbour.
    unsigned paeth = 0;
    unsigned sub = 0;
    unsigned up = 0;
    for (std::size_t i = 0; i < first; ++i) {
        o[i] = static_cast<std::uint8_t>(r[i] - p[i]);
        paeth += Cost(o[i]);
        sub += Cost(r[i]);
    }
    up = paeth;
    std::size_t i = first;
#if defined(__SSE2__)
    i = PaethEights(r, p, i, n, bytesPerPixel, o);
#endif
    for (; i < n; ++i) {
        o[i] = static_cast<std::uint8_t>(
            r[i] - PaethPredictor(r[i - bytesPerPixel], p[i], p[i - bytesPerPixel]));
    }
    for (i = first; i < n; ++i) {
        paeth += Cost(o[i]);
        sub += Cost(static_cast<std::uint8_t>(r[i] - r[i - bytesPerPixel]));
        up += Cost(static_cast<std::uint8_t>(r[i] - p[i]));
    }
    if (paeth <= sub && paeth <= up) {
        out[0] = kPaethFilter;
        return;
    }
    if (sub < up) {
        out[0] = kSubFilter;
        for (i = 0; i < n; ++i) {
            o[i] = static_cast<std::uint8_t>(r[i] - (i < first ? 0 : r[i - bytesPerPixel]));
        }
        return;
    }
    out[0] = kUpFilter;
    for (i = 0; i < n; ++i) {
        o[i] = static_cast<std::uint8_t>(r[i] - p[i]);
    }
}

}  // namespace lumigram
