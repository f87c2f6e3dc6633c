#include "codec/skin_rows.h"

#include <algorithm>

#include "codec/work_buffers.h"
#include "platform/byte_source.h"

namespace lumigram {

SkinRows::SkinRows(ByteSource& input, const SkinHeader& header, bool withMask)
    : input_(input),
      header_(header),
      memory_(input.InMemory()),
      maskStride_(withMask && header.bitsPerPixel == 18 ? MaskStrideFor(header.width) : 0),
      maskPlane_(kSkinHeaderSize + std::uint64_t{header.height} * header.rowStride),
      buffers_(CodecRowBuffers()) {
    if (maskStride_ > 0 && input.Size() <= maskPlane_) {
        maskStride_ = 0;  // the source ends with its pixel rows
    }
}

void SkinRows::Load(std::uint32_t y) {
    if (y == loaded_) {
        return;
    }
    loaded_ = y;
    const std::uint64_t rowAt = kSkinHeaderSize + std::uint64_t{y} * header_.rowStride;
    const std::uint64_t maskAt = maskPlane_ + std::uint64_t{y} * maskStride_;
    if (!memory_.empty()) {
        // Complete: the header check saw every row in the source.
        pixels_ = memory_.data() + rowAt;
        maskBytes_ = maskAt < memory_.size() ? static_cast<std::size_t>(std::min<std::uint64_t>(
                                                   maskStride_, memory_.size() - maskAt))
                                             : 0;
        mask_ = memory_.data() + std::min<std::uint64_t>(maskAt, memory_.size());
        return;
    }
    input_.ReadAt(rowAt, std::span(buffers_.row.data(), header_.rowStride));
    pixels_ = buffers_.row.data();
    maskBytes_ =
        maskStride_ > 0 ? input_.ReadAt(maskAt, std::span(buffers_.mask.data(), maskStride_)) : 0;
    mask_ = buffers_.mask.data();
}

}  // namespace lumigram
