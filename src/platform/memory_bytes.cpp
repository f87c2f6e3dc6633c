#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "platform/byte_sink.h"
#include "platform/byte_source.h"

namespace lumigram {
namespace {

std::size_t CopyOut(std::span<const std::uint8_t> from, std::uint64_t offset,
                    std::span<std::uint8_t> data) {
    if (offset >= from.size()) {
        return 0;
    }
    const std::size_t count =
        std::min<std::size_t>(data.size(), from.size() - static_cast<std::size_t>(offset));
    if (count > 0) {
        std::memcpy(data.data(), from.data() + offset, count);
    }
    return count;
}

}  // namespace

std::size_t MemorySource::ReadAt(std::uint64_t offset, std::span<std::uint8_t> data) {
    return CopyOut(bytes_, offset, data);
}

SubSource::SubSource(ByteSource& parent, std::uint64_t base, std::uint64_t size)
    : SubSource(parent, base, size, std::string()) {}

SubSource::SubSource(ByteSource& parent, std::uint64_t base, std::uint64_t size, std::string name)
    : parent_(parent), base_(base), size_(size), name_(std::move(name)) {}

std::size_t SubSource::ReadAt(std::uint64_t offset, std::span<std::uint8_t> data) {
    if (offset >= size_) {
        return 0;
    }
    const std::uint64_t room = size_ - offset;
    if (data.size() > room) {
        data = data.first(static_cast<std::size_t>(room));
    }
    return parent_.ReadAt(base_ + offset, data);
}

std::span<const std::uint8_t> SubSource::InMemory() const {
    const std::span<const std::uint8_t> whole = parent_.InMemory();
    if (whole.empty() || base_ > whole.size() || size_ > whole.size() - base_) {
        return {};
    }
    return whole.subspan(static_cast<std::size_t>(base_), static_cast<std::size_t>(size_));
}

std::vector<std::uint8_t> ReadWhole(ByteSource& source) {
    const std::uint64_t size = source.Size();
    if (size > std::numeric_limits<std::size_t>::max()) {
        throw std::length_error("too large to hold in memory: " + source.name());
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    bytes.resize(source.ReadAt(0, bytes));
    return bytes;
}

void CopyWhole(ByteSource& source, ByteSink& sink, std::span<std::uint8_t> block) {
    if (const std::span<const std::uint8_t> whole = source.InMemory(); !whole.empty()) {
        sink.Write(whole);
        return;
    }
    std::uint64_t at = 0;
    while (const std::size_t got = source.ReadAt(at, block)) {
        sink.Write(block.first(got));
        at += got;
    }
}

void MemorySink::Write(std::span<const std::uint8_t> data) {
    WriteAt(position_, data);
    position_ += data.size();
}

void MemorySink::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> data) {
    if (offset > std::numeric_limits<std::size_t>::max() - data.size()) {
        throw std::length_error("too large to hold in memory: " + name_);
    }
    const std::size_t at = static_cast<std::size_t>(offset);
    if (bytes_.size() < at + data.size()) {
        bytes_.resize(at + data.size());
    }
    if (!data.empty()) {
        std::memcpy(bytes_.data() + at, data.data(), data.size());
    }
}

}  // namespace lumigram
