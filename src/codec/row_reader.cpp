#include "codec/row_reader.h"

#include <algorithm>

#include "platform/byte_source.h"

namespace lumigram {

RowReader::RowReader(ByteSource& source, std::uint64_t planeOffset, std::uint32_t rowBytes,
                     std::uint32_t rowCount, std::span<std::uint8_t> block)
    : source_(source),
      planeOffset_(planeOffset),
      rowBytes_(rowBytes),
      rowCount_(rowCount),
      block_(block) {}

std::size_t RowReader::Read(std::uint32_t index, std::span<std::uint8_t> into, bool descending) {
    if (rowBytes_ == 0) {
        return 0;
    }
    if (index < first_ || index - first_ >= held_) {
        const std::uint32_t fits =
            static_cast<std::uint32_t>(std::max<std::size_t>(1, block_.size() / rowBytes_));
        const std::uint32_t count = std::min(fits, rowCount_);
        first_ = descending ? (index + 1 >= count ? index + 1 - count : 0) : index;
        held_ = std::min(count, rowCount_ - first_);
        arrived_ = source_.ReadAt(planeOffset_ + std::uint64_t{first_} * rowBytes_,
                                  block_.first(std::size_t{held_} * rowBytes_));
    }
    const std::size_t start = std::size_t{index - first_} * rowBytes_;
    const std::size_t got =
        arrived_ > start ? std::min<std::size_t>(rowBytes_, arrived_ - start) : 0;
    std::copy_n(block_.begin() + static_cast<std::ptrdiff_t>(start), got, into.begin());
    return got;
}

}  // namespace lumigram
