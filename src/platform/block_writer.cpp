#include "platform/block_writer.h"

#include <algorithm>

#include "platform/byte_file.h"

namespace lumigram {

void BlockWriter::Append(std::span<const std::uint8_t> data) {
    if (pending_ + data.size() > buffer_.size()) {
        Flush();
    }
    if (data.size() >= buffer_.size()) {
        file_.WriteAt(offset_, data);
        offset_ += data.size();
        return;
    }
    std::copy(data.begin(), data.end(), buffer_.begin() + static_cast<std::ptrdiff_t>(pending_));
    pending_ += data.size();
}

std::span<std::uint8_t> BlockWriter::Reserve(std::size_t count) {
    if (pending_ + count > buffer_.size()) {
        Flush();
    }
    return buffer_.subspan(pending_, count);
}

std::span<std::uint8_t> BlockWriter::ReserveUpTo(std::size_t count) {
    if (pending_ == buffer_.size()) {
        Flush();
    }
    return buffer_.subspan(pending_, std::min(count, buffer_.size() - pending_));
}

void BlockWriter::Flush() {
    if (pending_ == 0) {
        return;
    }
    file_.WriteAt(offset_, buffer_.first(pending_));
    offset_ += pending_;
    pending_ = 0;
}

}  // namespace lumigram
