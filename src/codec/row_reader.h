#pragma once

#include <cstdint>
#include <span>

namespace lumigram {

class ByteSource;

// Hands out the rows of a plane of equal rows in a source (pixel rows, mask
// rows), asked for one by one in either direction, while reading the source a
// block of neighbouring rows at a time: a tall picture costs a few hundred
// reads rather than one or two per row.
class RowReader {
  public:
    // The plane starts at planeOffset and holds rowCount rows of rowBytes;
    // `block` (at least one row long) holds the rows of one read.
    RowReader(ByteSource& source, std::uint64_t planeOffset, std::uint32_t rowBytes,
              std::uint32_t rowCount, std::span<std::uint8_t> block);

    // Copies row `index` into the start of `into` (rowBytes long at least) and
    // returns how many of its bytes the source held: fewer only where it ends.
    // Bytes that did not arrive are left as they were. `descending` says the
    // rows are asked for from the last to the first, so a read takes the rows
    // before `index` rather than those after it.
    std::size_t Read(std::uint32_t index, std::span<std::uint8_t> into, bool descending);

  private:
    ByteSource& source_;
    std::uint64_t planeOffset_;
    std::uint32_t rowBytes_;
    std::uint32_t rowCount_;
    std::span<std::uint8_t> block_;
    std::uint32_t first_ = 0;  // rows first_ to first_ + held_ - 1 are in block_
    std::uint32_t held_ = 0;
    std::size_t arrived_ = 0;  // bytes of block_ the last read filled
};

}  // namespace lumigram
