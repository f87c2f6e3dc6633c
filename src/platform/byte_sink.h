#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace lumigram {

// Where written bytes go: a file through the output layer, a stream (standard
// output, a FIFO), or memory (the page's download, the workbench's new member,
// a fuzzer's throwaway output). Writers that can only go forwards (every codec
// path that may meet a stream) use Write alone; WriteAt is for regions filled
// side by side (a ".k"'s pixel rows beside its mask plane) and is refused by a
// stream unless it continues exactly where the last write ended.
class ByteSink {
  public:
    ByteSink() = default;
    ByteSink(const ByteSink&) = delete;
    ByteSink& operator=(const ByteSink&) = delete;
    virtual ~ByteSink() = default;

    // Writes every byte at the current position (for a file, where the last
    // seek or write left it) or raises.
    virtual void Write(std::span<const std::uint8_t> data) = 0;
    // Writes every byte at offset, leaving the position alone, or raises.
    virtual void WriteAt(std::uint64_t offset, std::span<const std::uint8_t> data) = 0;
    // True when only writes in order are possible.
    virtual bool IsStream() const = 0;
    // What messages name.
    virtual const std::string& name() const = 0;

  protected:
    ByteSink(ByteSink&&) = default;
    ByteSink& operator=(ByteSink&&) = default;
};

// Bytes gathered in memory. Positioned writes past the end fill the gap with
// zeros, as a file would read back.
class MemorySink final : public ByteSink {
  public:
    explicit MemorySink(std::string name = "(memory)") : name_(std::move(name)) {}

    void Write(std::span<const std::uint8_t> data) override;
    void WriteAt(std::uint64_t offset, std::span<const std::uint8_t> data) override;
    bool IsStream() const override { return false; }
    const std::string& name() const override { return name_; }

    const std::vector<std::uint8_t>& bytes() const noexcept { return bytes_; }
    std::vector<std::uint8_t> Take() noexcept { return std::move(bytes_); }

  private:
    std::vector<std::uint8_t> bytes_;
    std::size_t position_ = 0;
    std::string name_;
};

}  // namespace lumigram
