#include "platform/block_writer.h"

#include <algorithm>
#include <array>

#include "platform/byte_sink.h"
#include "platform/little_endian.h"

namespace lumigram {

void BlockWriter::Append(std::span<const std::uint8_t> data) {
    if (pending_ + data.size() > buffer_.size()) {
        Flush();
    }
    if (data.size() >= buffer_.size()) {
        sink_.WriteAt(offset_, data);
        offset_ += data.size();
        return;
    }
    std::copy(data.begin(), data.end(), buffer_.begin() + static_cast<std::ptrdiff_t>(pending_));
    pending_ += data.size();
}

void BlockWriter::AppendText(std::string_view text) {
    Append({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

void BlockWriter::AppendU32LE(std::uint32_t value) {
    std::array<std::uint8_t, 4> bytes{};
    WriteU32LE(bytes, 0, value);
    Append(bytes);
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
    sink_.WriteAt(offset_, buffer_.first(pending_));
    offset_ += pending_;
    pending_ = 0;
}

}  // namespace lumigram
