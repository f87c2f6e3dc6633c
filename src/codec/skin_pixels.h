#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "codec/skin_sampler.h"

namespace lumigram {

class ByteSource;

// A picture the window shows at full size holds at most this many pixels, so a
// hostile header cannot make it allocate more than 64 MiB.
inline constexpr std::uint64_t kMaxShownPixels = 4096ull * 4096ull;

// Decodes a whole ".k" picture (a package member, a file) into 0xAARRGGBB
// pixels, straight alpha, for drawing. An 18-bit pixel carries its colour
// widened as the BMP decode gives it; with transparency enabled a mask bit of 0
// gives alpha 0 (mask bits not in the picture count as opaque). A 32-bit pixel
// keeps its four bytes (blue, green, red, alpha). With transparency disabled
// every pixel is opaque (alpha 255), whatever its mask or alpha. The header is checked as the
// decoder checks it; only 18- and 32-bit pictures of 1 to kMaxShownPixels
// pixels are shown. FormatError names the source.
SampledPicture DecodeSkinPixels(ByteSource& input, bool transparencyEnabled);
// The same for bytes in memory; FormatError names shownName.
SampledPicture DecodeSkinPixels(std::span<const std::uint8_t> bytes, bool transparencyEnabled,
                                const std::string& shownName);

}  // namespace lumigram
