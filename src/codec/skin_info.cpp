#include "codec/skin_info.h"

#include "codec/skin_decoder.h"
#include "codec/skin_format.h"
#include "platform/byte_file.h"

namespace lumigram {

const char* MaskPresenceName(MaskPresence presence) {
    switch (presence) {
        case MaskPresence::kPartial:
            return "partial";
        case MaskPresence::kFull:
            return "full";
        case MaskPresence::kNone:
            break;
    }
    return "none";
}

SkinPictureInfo InspectSkinPicture(const std::string& path) {
    ByteFile input = ByteFile::OpenRead(path);
    SkinPictureInfo info = InspectSkinPicture(input);
    input.Close();
    return info;
}

SkinPictureInfo InspectSkinPicture(ByteSource& input) {
    const SkinHeader header = ReadCheckedSkinHeader(input);
    SkinPictureInfo info;
    info.width = header.width;
    info.height = header.height;
    info.bitsPerPixel = header.bitsPerPixel;
    info.rowStride = header.rowStride;
    info.maskStride = MaskStrideFor(header.width);
    info.fileSize = input.Size();

    const std::uint64_t pixelEnd = kSkinHeaderSize + std::uint64_t{info.height} * info.rowStride;
    const std::uint64_t maskBytes = std::uint64_t{info.height} * info.maskStride;
    const std::uint64_t present = info.fileSize - pixelEnd;  // the check ensured pixelEnd fits
    if (info.bitsPerPixel == 18 && maskBytes > 0 && present > 0) {
        info.mask = present >= maskBytes ? MaskPresence::kFull : MaskPresence::kPartial;
    }
    return info;
}

}  // namespace lumigram
