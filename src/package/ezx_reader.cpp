#include "package/ezx_reader.h"

#include <array>

#include "package/ezx_format.h"
#include "platform/byte_file.h"
#include "platform/input_limits.h"
#include "platform/io_error.h"
#include "platform/little_endian.h"

namespace lumigram {
namespace {

[[noreturn]] void Refuse(const std::string& what, const ByteFile& package) {
    throw FormatError(kDamagedPackage + what, package.path());
}

struct IndexBlock {
    std::int64_t indexOffset = 0;
    std::int32_t nameListStart = 0;
    std::int32_t memberCount = 0;
    std::int32_t tableOffset = 0;
    std::int32_t dataOffset = 0;
};

IndexBlock ReadIndexBlock(ByteFile& package, std::uint64_t fileSize) {
    std::array<std::uint8_t, kIndexDigitsCount> digits{};
    if (fileSize < kIndexDigitsOffset + kIndexDigitsCount ||
        package.ReadAt(kIndexDigitsOffset, digits) != digits.size()) {
        Refuse("the file is " + std::to_string(fileSize) +
                   " bytes, too short to hold the index offset",
               package);
    }
    IndexBlock index;
    for (const std::uint8_t digit : digits) {
        const int value = HexDigitValue(static_cast<char>(digit));
        if (value < 0) {
            Refuse("the index offset \"" + std::string(digits.begin(), digits.end()) +
                       "\" is not eight hexadecimal digits",
                   package);
        }
        index.indexOffset = index.indexOffset * 16 + value;
    }
    if (static_cast<std::uint64_t>(index.indexOffset) + kIndexBlockSize > fileSize) {
        Refuse("the index block at offset " + std::to_string(index.indexOffset) +
                   " runs past the end of the package",
               package);
    }
    std::array<std::uint8_t, kIndexBlockSize> block{};
    package.ReadAt(static_cast<std::uint64_t>(index.indexOffset), block);
    index.nameListStart = ReadI32LE(block, 4);
    index.memberCount = ReadI32LE(block, 8);
    index.tableOffset = ReadI32LE(block, 12);
    index.dataOffset = ReadI32LE(block, 16);
    if (index.memberCount < 0 || index.memberCount > kMaxPackageMembers) {
        Refuse("member count " + std::to_string(index.memberCount) + " is outside 0 to " +
                   std::to_string(kMaxPackageMembers),
               package);
    }
    const std::pair<const char*, std::int32_t> offsets[] = {
        {"name list", index.nameListStart},
        {"member table", index.tableOffset},
        {"data area", index.dataOffset},
    };
    for (const auto& [what, offset] : offsets) {
        if (offset < 0) {
            Refuse(std::string("negative ") + what + " offset " + std::to_string(offset), package);
        }
    }
    const std::uint64_t tableEnd = static_cast<std::uint64_t>(index.tableOffset) +
                                   kEntrySize * std::uint64_t(index.memberCount);
    if (tableEnd > fileSize) {
        Refuse("the member table runs past the end of the package", package);
    }
    return index;
}

// Checks one entry; returns an empty string and fills member, or the problem.
std::string CheckMember(ByteFile& package, std::uint64_t fileSize, const IndexBlock& index,
                        const TEZXEntry& entry, PackageMember& member, bool& emptyName) {
    if (entry.NameOffset < 0) {
        return "negative name offset " + std::to_string(entry.NameOffset);
    }
    const std::uint64_t nameStart = static_cast<std::uint64_t>(index.nameListStart) +
                                    static_cast<std::uint64_t>(entry.NameOffset);
    if (nameStart >= fileSize) {
        return "name starts past the end of the package";
    }
    std::array<std::uint8_t, kNameWindowBytes> window{};
    const std::size_t got = package.ReadAt(nameStart, window);
    std::size_t length = 0;
    while (length < got && window[length] != 0x0A) {
        ++length;
    }
    if (length == got) {
        return got < window.size() ? "name runs past the end of the package"
                                   : "name is longer than 255 bytes";
    }
    emptyName = length == 0;
    if (emptyName) {
        return {};
    }
    member.storedName.assign(window.begin(), window.begin() + static_cast<long>(length));
    if (entry.RecordOffset < 0) {
        return "negative record offset " + std::to_string(entry.RecordOffset);
    }
    const std::uint64_t record = static_cast<std::uint64_t>(index.dataOffset) +
                                 static_cast<std::uint64_t>(entry.RecordOffset);
    std::array<std::uint8_t, kRecordHeadSize> head{};
    if (record + kRecordHeadSize > fileSize || package.ReadAt(record, head) != head.size()) {
        return "record runs past the end of the package";
    }
    const std::int32_t size = ReadI32LE(head, 4);
    if (size < 0) {
        return "negative size " + std::to_string(size);
    }
    if (record + kRecordHeadSize + static_cast<std::uint64_t>(size) > fileSize) {
        return "content runs past the end of the package";
    }
    member.id = entry.ID;
    member.size = static_cast<std::uint32_t>(size);
    member.contentOffset = record + kRecordHeadSize;
    return {};
}

}  // namespace

PackageCheck CheckPackage(ByteFile& package) {
    const std::uint64_t fileSize = package.Size();
    const IndexBlock index = ReadIndexBlock(package, fileSize);

    // Bounded by the file: the table was checked to lie inside it.
    std::vector<std::uint8_t> table(kEntrySize * static_cast<std::size_t>(index.memberCount));
    package.ReadAt(static_cast<std::uint64_t>(index.tableOffset), table);

    PackageCheck check;
    for (std::size_t i = 0; i < static_cast<std::size_t>(index.memberCount); ++i) {
        const TEZXEntry entry{ReadU32LE(table, kEntrySize * i),
                              ReadI32LE(table, kEntrySize * i + 4),
                              ReadI32LE(table, kEntrySize * i + 8)};
        PackageMember member;
        member.number = i + 1;
        bool emptyName = false;
        const std::string problem = CheckMember(package, fileSize, index, entry, member, emptyName);
        if (!problem.empty()) {
            check.problems.push_back("member " + std::to_string(i + 1) + ": " + problem);
        } else if (!emptyName) {
            check.members.push_back(std::move(member));
        }
    }
    return check;
}

std::vector<PackageMember> ReadPackageMembers(ByteFile& package) {
    PackageCheck check = CheckPackage(package);
    if (!check.problems.empty()) {
        Refuse(check.problems.front(), package);
    }
    return std::move(check.members);
}

}  // namespace lumigram
