#pragma once

#include <array>
#include <cstdint>

#include "platform/input_limits.h"
#include "platform/thread_buffer.h"

namespace lumigram {

// The codec's fixed work buffers: one stored row and one mask row, plus two
// output blocks that gather rows into large writes. They are made once per
// thread, on first use, and reused, so nothing is allocated per picture or row.
struct RowBuffers {
    std::array<std::uint8_t, kRowBufferBytes> row{};
    std::array<std::uint8_t, kRowBufferBytes> mask{};
    std::array<std::uint8_t, 4 * kRowBufferBytes> pixelBlock{};
    std::array<std::uint8_t, kRowBufferBytes> maskBlock{};
    // Blocks of neighbouring input rows, pixel and mask, read at once.
    std::array<std::uint8_t, 4 * kRowBufferBytes> rowChunk{};
    std::array<std::uint8_t, kRowBufferBytes> maskChunk{};
};

inline RowBuffers& CodecRowBuffers() {
    return ThreadBuffer<RowBuffers>();
}

}  // namespace lumigram
