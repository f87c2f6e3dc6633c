#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace lumigram {

class ByteSink;

// Gathers consecutive writes to one region of a sink (a file, memory) in a
// caller-owned buffer and hands them to it in large blocks. Regions written this way need not
// be written in file order: the codec fills its pixel rows and its mask plane
// side by side, each through a writer of its own.
class BlockWriter {
  public:
    BlockWriter(ByteSink& sink, std::uint64_t offset, std::span<std::uint8_t> buffer)
        : sink_(sink), offset_(offset), buffer_(buffer) {}

    void Append(std::span<const std::uint8_t> data);
    void AppendText(std::string_view text);
    void AppendU32LE(std::uint32_t value);
    // Room for count bytes (count no larger than the buffer) at the end of what
    // is pending, to be filled in place and then kept with Commit: content read
    // straight into it is never copied again.
    std::span<std::uint8_t> Reserve(std::size_t count);
    // Room for up to count bytes, as much as the buffer has left (flushing it
    // first when it is full): large copies fill whole blocks with few reads.
    std::span<std::uint8_t> ReserveUpTo(std::size_t count);
    void Commit(std::size_t count) { pending_ += count; }
    // Writes what is pending; call before closing the file.
    void Flush();
    // For a long run written past the writer: Flush, then the run goes at
    // offset() (the buffer is free to carry it), then Skip(its length).
    std::uint64_t offset() const { return offset_ + pending_; }
    std::span<std::uint8_t> buffer() const { return buffer_; }
    ByteSink& sink() const { return sink_; }
    void Skip(std::uint64_t count) { offset_ += count; }

  private:
    ByteSink& sink_;
    std::uint64_t offset_;  // sink offset of buffer_[0]
    std::span<std::uint8_t> buffer_;
    std::size_t pending_ = 0;
};

}  // namespace lumigram
