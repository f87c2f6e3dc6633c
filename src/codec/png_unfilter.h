#pragma once

#include <cstdint>
#include <span>

namespace lumigram {

// Undoes a PNG row's filter in place: row holds the filtered bytes of one row
// of 8-bit pixels, bytesPerPixel (3 or 4) bytes each, and gets the pixels back;
// prior is the row above as it was restored (all zero above the first row).
// Returns false, leaving row in an unspecified state, for a filter type other
// than the five PNG defines. The vector form and the plain loop give the same
// bytes; the plain loop is taken where there is no SSE2 or where
// LUMIGRAM_FORCE_SCALAR asks for it.
bool UnfilterPngRow(std::uint8_t filterType, std::span<std::uint8_t> row,
                    std::span<const std::uint8_t> prior, unsigned bytesPerPixel);

}  // namespace lumigram
