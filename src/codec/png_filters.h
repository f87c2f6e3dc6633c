#pragma once

#include <cstdint>
#include <cstdlib>
#include <span>

namespace lumigram {

// PNG's Paeth predictor from the left (a), upper (b) and upper-left (c) bytes:
// whichever is nearest a + b - c, ties going to a, then b. Writing and reading
// must agree on it to the letter.
inline std::uint8_t PaethPredictor(int a, int b, int c) {
    const int pa = std::abs(b - c);
    const int pb = std::abs(a - c);
    const int pc = std::abs(a + b - 2 * c);
    if (pa <= pb && pa <= pc) {
        return static_cast<std::uint8_t>(a);
    }
    return static_cast<std::uint8_t>(pb <= pc ? b : c);
}

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
