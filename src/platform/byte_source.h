#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace lumigram {

// Bytes to read from, wherever they are: a file on disk, a range of one (a
// package member), or memory (the page's bytes, a fuzzer's input, a member held
// by the workbench). The codec and the package reader take sources, so every
// front end hands them what it holds without writing it to a file first.
class ByteSource {
  public:
    ByteSource() = default;
    ByteSource(const ByteSource&) = delete;
    ByteSource& operator=(const ByteSource&) = delete;
    virtual ~ByteSource() = default;

    virtual std::uint64_t Size() const = 0;
    // Reads up to data.size() bytes from offset; returns how many arrived (fewer
    // only where the source ends). An offset past the end gives 0, never an error.
    virtual std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> data) = 0;
    // What messages name: the path as the user gave it, or a name the caller chose.
    virtual const std::string& name() const = 0;
    // The whole content, when it is already contiguous in memory: readers may
    // walk it in place instead of copying it block by block. Empty otherwise.
    virtual std::span<const std::uint8_t> InMemory() const { return {}; }

  protected:
    ByteSource(ByteSource&&) = default;
    ByteSource& operator=(ByteSource&&) = default;
};

// Bytes held in memory, borrowed or owned.
class MemorySource final : public ByteSource {
  public:
    // Borrows bytes, which must outlive the source.
    MemorySource(std::span<const std::uint8_t> bytes, std::string name)
        : bytes_(bytes), name_(std::move(name)) {}
    // Shares bytes kept elsewhere (an edited member, an undo step).
    MemorySource(std::shared_ptr<const std::vector<std::uint8_t>> bytes, std::string name)
        : owned_(std::move(bytes)), name_(std::move(name)) {
        bytes_ = owned_ ? std::span<const std::uint8_t>(*owned_) : std::span<const std::uint8_t>();
    }

    std::uint64_t Size() const override { return bytes_.size(); }
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> data) override;
    const std::string& name() const override { return name_; }
    std::span<const std::uint8_t> InMemory() const override { return bytes_; }

  private:
    std::shared_ptr<const std::vector<std::uint8_t>> owned_;
    std::span<const std::uint8_t> bytes_;
    std::string name_;
};

// size bytes of another source from base, read as a source of their own: a
// package member seen as the picture it holds. Reads never reach outside the
// range. The parent must outlive it; messages name the parent unless a name is
// given.
class SubSource final : public ByteSource {
  public:
    SubSource(ByteSource& parent, std::uint64_t base, std::uint64_t size);
    SubSource(ByteSource& parent, std::uint64_t base, std::uint64_t size, std::string name);

    std::uint64_t Size() const override { return size_; }
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> data) override;
    const std::string& name() const override { return name_.empty() ? parent_.name() : name_; }
    std::span<const std::uint8_t> InMemory() const override;

  private:
    ByteSource& parent_;
    std::uint64_t base_;
    std::uint64_t size_;
    std::string name_;
};

// Reads the whole source into memory (for small inputs: a ".g" picture, a
// header); raises what the source raises.
std::vector<std::uint8_t> ReadWhole(ByteSource& source);

class ByteSink;

// Copies the source from its start to its end (read until nothing more comes)
// to sink, in order, through block: one write when it is already in memory.
void CopyWhole(ByteSource& source, ByteSink& sink, std::span<std::uint8_t> block);

}  // namespace lumigram
