#pragma once

#include <cstdint>
#include <span>

namespace lumigram {

// Filters one row of 8-bit pixels, bytesPerPixel bytes each, for deflate: out
// (row.size() + 1 bytes) gets the filter type and the filtered bytes. prior is
// the row above (all zero above the first row).
//
// Each row gets whichever of the Sub, Up and Paeth filters leaves bytes that,
// read as signed, sum smallest in magnitude (the usual choice of PNG writers,
// here without None and Average: on pictures in steps of 4 a channel, as
// skins are, Average's odd steps make deflate's output larger). Sub and Up
// are also the quickest to undo, so such a PNG reads fast. The choice depends
// on the two rows alone, so filtering a row again gives the same bytes.
void FilterPngRow(std::span<const std::uint8_t> row, std::span<const std::uint8_t> prior,
                  unsigned bytesPerPixel, std::span<std::uint8_t> out);

}  // namespace lumigram
