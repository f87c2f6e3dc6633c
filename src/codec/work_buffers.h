#pragma once

#include <array>
#include <cstdint>

#include "platform/input_limits.h"

namespace lumigram {

// The codec's two fixed work buffers: one stored row and one mask row. They are
// made once per thread and reused, so nothing is allocated per picture or row.
struct RowBuffers {
    std::array<std::uint8_t, kRowBufferBytes> row{};
    std::array<std::uint8_t, kRowBufferBytes> mask{};
};

inline RowBuffers& CodecRowBuffers() {
    static thread_local RowBuffers buffers;
    return buffers;
}

}  // namespace lumigram
