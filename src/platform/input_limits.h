#pragma once

#include <cstddef>
#include <cstdint>

namespace lumigram {

// Every bound the core puts on untrusted input, in one place. A value at a limit
// is accepted; one past it is refused before anything is allocated or written.

// One stored row, and one mask row, pass through a fixed buffer of this size;
// no per-picture allocation ever depends on the header.
inline constexpr std::uint32_t kRowBufferBytes = 65536;

// An 18-bit row is decoded in place at 3 bytes a pixel, so every pixel must lie
// inside the row buffer: 21,845 × 3 = 65,535.
inline constexpr std::uint32_t kMaxSkinWidth18 = kRowBufferBytes / 3;

// A ".k" header stores RowStride in 16 bits: the widest BMPs whose rows, rounded
// up to a multiple of 4, still fit (21,844 × 3 → 65,532; 16,383 × 4 → 65,532).
inline constexpr std::uint32_t kMaxBmpWidth24 = 21844;
inline constexpr std::uint32_t kMaxBmpWidth32 = 16383;

// A ".k" header stores Height in 16 bits.
inline constexpr std::uint32_t kMaxPictureHeight = 65535;

// The picture bytes themselves are bounded by the file: a header may claim only
// rows that are wholly in the file (16 + Height × RowStride ≤ file size, and for a
// BMP, pixel offset + Height × row length ≤ file size), so the output is never
// out of proportion to the input. A ".k" RowStride must also hold the pixels of
// its row (Width × 3, or Width × 4 at 32 bits): the decoder's work per row is then
// at most RowStride bytes, so decoding a picture costs time and output in
// proportion to the file's own size, whatever Width claims.

// PNG pictures are read row by row; the width and height are refused at the
// IHDR chunk beyond what a ".k" can hold (kMaxBmpWidth24 or, for a 32-bit one,
// kMaxBmpWidth32; kMaxPictureHeight), before any pixel is read. Of the other
// chunks only the palette and transparency are kept (at most 1,024 bytes), so
// no allocation depends on the file but the rows themselves.
// An interlaced PNG comes in seven passes over the whole picture, so it is
// decoded whole; one whose RGBA pixels would take more than this is refused.
inline constexpr std::uint64_t kMaxInterlacedPngBytes = 64u << 20;

// A member name is 1 to 255 bytes; the reader looks for its 0x0A terminator
// within this window, so every name the writer can write reads back whole.
inline constexpr std::size_t kMaxMemberNameBytes = 255;
inline constexpr std::size_t kNameWindowBytes = kMaxMemberNameBytes + 1;

// Offsets, sizes and the package length are signed 32-bit fields: everything
// must stay below 2^31.
inline constexpr std::int64_t kMaxPackageBytes = (std::int64_t{1} << 31) - 1;

}  // namespace lumigram
