#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "codec/skin_format.h"

namespace lumigram {

// The codec's per-row pixel work, in one plain loop (the reference) and in
// vector forms that must give the same bytes. The vector form is picked once
// per process from what the processor offers; LUMIGRAM_FORCE_SCALAR=1 in the
// environment keeps the plain loop, so both stay exercised.

// Narrows `width` BGR pixels (3 bytes each) of `row` in place to 6:6:6 and
// fills the first maskStride bytes of `mask`: bit i set for every pixel that is
// not exactly `colour`; bits whose byte lies at or beyond maskStride are
// dropped. row holds at least 3 × width bytes, mask at least maskStride.
using NarrowRowFn = void (*)(std::span<std::uint8_t> row, std::uint32_t width,
                             std::span<std::uint8_t> mask, std::uint32_t maskStride,
                             TransparencyColour colour);

// Widens `width` stored 6:6:6 pixels of `row` in place to BGR. A pixel is
// opaque when its mask bit is 1 or its bit lies in a mask byte at or beyond
// maskBytes; a transparent pixel becomes `colour`. row holds at least
// 3 × width bytes, mask at least maskBytes.
using WidenRowFn = void (*)(std::span<std::uint8_t> row, std::uint32_t width,
                            std::span<const std::uint8_t> mask, std::size_t maskBytes,
                            TransparencyColour colour);

struct RowKernels {
    const char* name;
    NarrowRowFn narrow24;
    WidenRowFn widen18;
};

// The kernels every row goes through: chosen on first use, then fixed.
const RowKernels& ActiveRowKernels();

// The plain loop, and every form this processor can run (the plain loop
// first): what the tests compare.
const RowKernels& ScalarRowKernels();
std::vector<const RowKernels*> RunnableRowKernels();

}  // namespace lumigram
