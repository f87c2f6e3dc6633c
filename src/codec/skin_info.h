#pragma once

#include <cstdint>
#include <string>

namespace lumigram {

class ByteSource;

// How much of an 18-bit picture's mask plane is in the file.
enum class MaskPresence { kNone, kPartial, kFull };

const char* MaskPresenceName(MaskPresence presence);  // "none", "partial", "full"

struct SkinPictureInfo {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t bitsPerPixel = 0;
    std::uint32_t rowStride = 0;
    std::uint32_t maskStride = 0;  // computed from the width, stored or not
    MaskPresence mask = MaskPresence::kNone;
    std::uint64_t fileSize = 0;
};

// Reads and checks a ".k" header as the decoder does (raising the same errors),
// and tells how much of the mask plane follows the pixel rows. Only 18-bit
// pictures with a non-zero MaskStride can carry a mask.
SkinPictureInfo InspectSkinPicture(ByteSource& input);
SkinPictureInfo InspectSkinPicture(const std::string& path);

}  // namespace lumigram
