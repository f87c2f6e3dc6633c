#include "codec/row_kernels.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "codec/row_kernels_x86.h"

namespace lumigram {
namespace {

void NarrowRow24Scalar(std::span<std::uint8_t> row, std::uint32_t width,
                       std::span<std::uint8_t> mask, std::uint32_t maskStride,
                       TransparencyColour colour) {
    std::fill_n(mask.begin(), maskStride, std::uint8_t{0});
    std::uint8_t* pixel = row.data();
    for (std::uint32_t group = 0; group * 8 < width; ++group) {
        const std::uint32_t count = std::min<std::uint32_t>(8, width - group * 8);
        unsigned bits = 0;
        for (std::uint32_t k = 0; k < count; ++k, pixel += 3) {
            const std::uint8_t b = pixel[0];
            const std::uint8_t g = pixel[1];
            const std::uint8_t r = pixel[2];
            const bool transparent = b == colour.blue && g == colour.green && r == colour.red;
            bits |= static_cast<unsigned>(!transparent) << k;
            const std::uint32_t v = Narrow666(b, g, r);
            pixel[0] = static_cast<std::uint8_t>(v);
            pixel[1] = static_cast<std::uint8_t>(v >> 8);
            pixel[2] = static_cast<std::uint8_t>(v >> 16);
        }
        if (group < maskStride) {
            mask[group] = static_cast<std::uint8_t>(bits);
        }
    }
}

void WidenRow18Scalar(std::span<std::uint8_t> row, std::uint32_t width,
                      std::span<const std::uint8_t> mask, std::size_t maskBytes,
                      TransparencyColour colour) {
    std::uint8_t* pixel = row.data();
    // Eight pixels share one mask byte; a byte that did not arrive is all opaque.
    for (std::uint32_t group = 0; group * 8 < width; ++group) {
        const unsigned bits = group < maskBytes ? mask[group] : 0xFFu;
        const std::uint32_t count = std::min<std::uint32_t>(8, width - group * 8);
        for (std::uint32_t k = 0; k < count; ++k, pixel += 3) {
            if ((bits >> k) & 1) {
                const unsigned b0 = pixel[0];
                const unsigned b1 = pixel[1];
                const unsigned b2 = pixel[2];
                pixel[0] = static_cast<std::uint8_t>((b0 & 63) << 2);
                pixel[1] = static_cast<std::uint8_t>(((b0 >> 6) | ((b1 & 15) << 2)) << 2);
                pixel[2] = static_cast<std::uint8_t>(((b1 >> 4) | ((b2 & 3) << 4)) << 2);
            } else {
                pixel[0] = colour.blue;
                pixel[1] = colour.green;
                pixel[2] = colour.red;
            }
        }
    }
}

constexpr RowKernels kScalarRowKernels{"scalar", NarrowRow24Scalar, WidenRow18Scalar};

bool ScalarForced() {
    const char* value = std::getenv("LUMIGRAM_FORCE_SCALAR");
    return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
}

const RowKernels& ChooseRowKernels() {
    if (ScalarForced()) {
        return kScalarRowKernels;
    }
#ifdef LUMIGRAM_X86_ROW_KERNELS
    return CpuRunsAvx2() ? kAvx2RowKernels : kSse2RowKernels;
#else
    return kScalarRowKernels;
#endif
}

}  // namespace

const RowKernels& ActiveRowKernels() {
    static const RowKernels& chosen = ChooseRowKernels();
    return chosen;
}

const RowKernels& ScalarRowKernels() {
    return kScalarRowKernels;
}

std::vector<const RowKernels*> RunnableRowKernels() {
    std::vector<const RowKernels*> kernels{&kScalarRowKernels};
#ifdef LUMIGRAM_X86_ROW_KERNELS
    kernels.push_back(&kSse2RowKernels);
    if (CpuRunsAvx2()) {
        kernels.push_back(&kAvx2RowKernels);
    }
#endif
    return kernels;
}

}  // namespace lumigram
