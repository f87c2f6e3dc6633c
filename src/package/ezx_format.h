#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/hex_digits.h"

namespace lumigram {

// A ".ezx" skin package:
//   55-byte text header (EZXHeader, with IndexOffset as 8 hex digits at 16-23)
//   name list: each member name + 0x0A, from byte 55
//   0-3 bytes 0x00 up to a multiple of 4: that offset is IndexOffset
//   index block: IndexMagic, NameListStart (55), MemberCount, TableOffset, DataOffset
//   member table: MemberCount entries of 12 bytes (TEZXEntry)
//   data area: per member RecordMagic, Size, then Size content bytes
// All 32-bit fields little-endian; counts, offsets and sizes signed.

inline constexpr std::string_view EZXHeader =
    "motoskin\n\nv1.00\n00000000\n\nComment: Lumigram\nID table:\n\n";
inline constexpr std::size_t kHeaderSize = 55;
inline constexpr std::size_t kIndexDigitsOffset = 16;
inline constexpr std::size_t kIndexDigitsCount = 8;
inline constexpr std::size_t kIndexBlockSize = 20;
inline constexpr std::size_t kEntrySize = 12;
inline constexpr std::size_t kRecordHeadSize = 8;

inline constexpr std::uint32_t IndexMagic = 0xABCDDCBA;
inline constexpr std::uint32_t RecordMagic = 0xDCBAABCD;
// The member table has room for this many entries; the count is checked
// against the file before any entry is read.
inline constexpr std::int32_t MaxMembers = 65536;

static_assert(EZXHeader.size() == kHeaderSize);

// One entry of the member table.
struct TEZXEntry {
    std::uint32_t ID = 0;           // NameToID of the stored name
    std::int32_t NameOffset = 0;    // from NameListStart
    std::int32_t RecordOffset = 0;  // from DataOffset
    friend bool operator==(const TEZXEntry&, const TEZXEntry&) = default;
};

using MemberTable = std::vector<TEZXEntry>;

// The member ID: h = (h << 1) ^ (h >> 20) ^ byte over the stored name bytes.
std::uint32_t NameToID(std::string_view name);

// 0-9 -> '0'-'9', 10-15 -> 'a'-'f'.
char HexDigitChar(unsigned value);

}  // namespace lumigram
