#include "package/ezx_reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "package/ezx_format.h"
#include "package/member_names.h"
#include "platform/byte_source.h"
#include "platform/input_limits.h"
#include "platform/io_error.h"
#include "platform/little_endian.h"

namespace lumigram {
namespace {

[[noreturn]] void Refuse(const std::string& what, const ByteSource& package) {
    throw FormatError(kDamagedPackage + what, package.name());
}

struct IndexBlock {
    std::int64_t indexOffset = 0;
    std::uint32_t indexMagic = 0;
    std::int32_t nameListStart = 0;
    std::int32_t memberCount = 0;
    std::int32_t tableOffset = 0;
    std::int32_t dataOffset = 0;
};

IndexBlock ReadIndexBlock(ByteSource& package, std::uint64_t fileSize) {
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
            // Whatever the file holds there is shown escaped, never raw.
            Refuse("the index offset \"" + EscapeName(std::string(digits.begin(), digits.end())) +
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
    index.indexMagic = ReadU32LE(block, 0);
    index.nameListStart = ReadI32LE(block, 4);
    index.memberCount = ReadI32LE(block, 8);
    index.tableOffset = ReadI32LE(block, 12);
    index.dataOffset = ReadI32LE(block, 16);
    if (index.memberCount < 0 || index.memberCount > MaxMembers) {
        Refuse("member count " + std::to_string(index.memberCount) + " is outside 0 to " +
                   std::to_string(MaxMembers),
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

// The name windows of all entries, read in one go when they lie close together
// (a name list of 65,536 names of 255 bytes at most, as any sound package has
// them): thousands of members cost one read, not one each. Names spread wider
// than that are read window by window, so a hostile table cannot make the
// check allocate more than a sound name list.
class NameWindows {
  public:
    static constexpr std::uint64_t kMaxWhole = 65536u * 256u + kNameWindowBytes;

    NameWindows(ByteSource& package, std::uint64_t fileSize, const IndexBlock& index,
                std::span<const std::uint8_t> table, std::size_t count)
        : package_(package) {
        if (count == 0 || index.nameListStart < 0) {
            return;
        }
        std::int64_t lowest = INT32_MAX;
        std::int64_t highest = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const std::int32_t offset = ReadI32LE(table, kEntrySize * i + 4);
            lowest = std::min<std::int64_t>(lowest, std::max(offset, 0));
            highest = std::max<std::int64_t>(highest, offset);
        }
        const std::uint64_t start = static_cast<std::uint64_t>(index.nameListStart + lowest);
        const std::uint64_t end = std::min(
            fileSize, static_cast<std::uint64_t>(index.nameListStart + highest) + kNameWindowBytes);
        if (start >= end || end - start > kMaxWhole) {
            return;
        }
        whole_.resize(static_cast<std::size_t>(end - start));
        whole_.resize(package.ReadAt(start, whole_));
        start_ = start;
    }

    // What a read of up to buffer.size() bytes at nameStart delivers: a view into
    // the name list read whole where it lies there, else read into buffer.
    std::span<const std::uint8_t> View(std::uint64_t nameStart, std::span<std::uint8_t> buffer) {
        if (nameStart < start_ || nameStart >= start_ + whole_.size()) {
            return buffer.first(package_.ReadAt(nameStart, buffer));
        }
        const std::size_t at = static_cast<std::size_t>(nameStart - start_);
        return std::span<const std::uint8_t>(whole_).subspan(
            at, std::min(buffer.size(), whole_.size() - at));
    }

  private:
    ByteSource& package_;
    std::uint64_t start_ = 0;
    std::vector<std::uint8_t> whole_;
};

// Checks one entry's name; returns an empty string and fills member.storedName,
// or the problem.
std::string CheckName(NameWindows& names, std::uint64_t fileSize, const IndexBlock& index,
                      const TEZXEntry& entry, PackageMember& member) {
    if (entry.NameOffset < 0) {
        return "negative name offset " + std::to_string(entry.NameOffset);
    }
    const std::uint64_t nameStart = static_cast<std::uint64_t>(index.nameListStart) +
                                    static_cast<std::uint64_t>(entry.NameOffset);
    if (nameStart >= fileSize) {
        return "name starts past the end of the package";
    }
    std::array<std::uint8_t, kNameWindowBytes> buffer{};
    const std::span<const std::uint8_t> window = names.View(nameStart, buffer);
    const auto* newline =
        static_cast<const std::uint8_t*>(std::memchr(window.data(), 0x0A, window.size()));
    if (newline == nullptr) {
        return window.size() < buffer.size() ? "name runs past the end of the package"
                                             : "name is longer than 255 bytes";
    }
    member.storedName.assign(window.data(), newline);
    return {};
}

// Checks one entry's record; returns an empty string and fills member, or the
// problem.
std::string CheckRecord(ByteSource& package, std::uint64_t fileSize, const IndexBlock& index,
                        const TEZXEntry& entry, PackageMember& member) {
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
    member.recordMagic = ReadU32LE(head, 0);
    member.size = static_cast<std::uint32_t>(size);
    member.contentOffset = record + kRecordHeadSize;
    return {};
}

// The parts in one string, allocated once: a hostile table can make the
// check tell thousands of overlaps.
std::string Joined(std::initializer_list<std::string_view> parts) {
    std::size_t size = 0;
    for (const std::string_view part : parts) {
        size += part.size();
    }
    std::string joined;
    joined.reserve(size);
    for (const std::string_view part : parts) {
        joined += part;
    }
    return joined;
}

std::uint64_t RecordStart(const PackageMember& member) {
    return member.contentOffset - kRecordHeadSize;
}

// How far a check goes: to every problem (for verify and the findings), or to the
// first, which is all a refusal shows.
enum class Reporting { kEveryProblem, kFirstProblem };

// The overlaps FindOverlappingRecords tells, in its order; only the first `most`
// are put in words.
std::vector<MemberFault> FindOverlaps(const std::vector<const PackageMember*>& records,
                                      std::size_t most) {
    std::vector<const PackageMember*> byStart = records;
    std::stable_sort(byStart.begin(), byStart.end(),
                     [](const PackageMember* a, const PackageMember* b) {
                         return RecordStart(*a) < RecordStart(*b);
                     });
    struct Overlap {
        const PackageMember* first;
        const PackageMember* second;
    };
    std::vector<Overlap> overlaps;
    const PackageMember* furthest = nullptr;
    std::uint64_t furthestEnd = 0;
    for (const PackageMember* member : byStart) {
        const std::uint64_t end = member->contentOffset + member->size;
        if (furthest != nullptr && RecordStart(*member) < furthestEnd) {
            const PackageMember* first = furthest->number < member->number ? furthest : member;
            overlaps.push_back({first, first == furthest ? member : furthest});
        }
        if (furthest == nullptr || end > furthestEnd) {
            furthest = member;
            furthestEnd = end;
        }
    }
    std::stable_sort(overlaps.begin(), overlaps.end(), [](const Overlap& a, const Overlap& b) {
        return a.second->number < b.second->number;
    });
    std::vector<MemberFault> faults;
    faults.reserve(std::min(most, overlaps.size()));
    for (const auto& [first, second] : overlaps) {
        if (faults.size() == most) {
            break;
        }
        faults.push_back(
            {second->number,
             Joined({"its record (bytes ", std::to_string(RecordStart(*second)), " to ",
                     std::to_string(second->contentOffset + second->size - 1),
                     ") overlaps the record of member ", std::to_string(first->number)}),
             first->number});
    }
    return faults;
}

PackageCheck Check(ByteSource& package, Reporting reporting) {
    const std::uint64_t fileSize = package.Size();
    const IndexBlock index = ReadIndexBlock(package, fileSize);

    // Bounded by the file: the table was checked to lie inside it.
    std::vector<std::uint8_t> table(kEntrySize * static_cast<std::size_t>(index.memberCount));
    package.ReadAt(static_cast<std::uint64_t>(index.tableOffset), table);

    PackageCheck check;
    check.indexMagic = index.indexMagic;
    check.memberCount = static_cast<std::size_t>(index.memberCount);
    NameWindows names(package, fileSize, index, table, check.memberCount);
    // In proportion to the table, which lies inside the file.
    check.members.reserve(check.memberCount);
    for (std::size_t i = 0; i < check.memberCount; ++i) {
        const TEZXEntry entry{ReadU32LE(table, kEntrySize * i),
                              ReadI32LE(table, kEntrySize * i + 4),
                              ReadI32LE(table, kEntrySize * i + 8)};
        PackageMember member;
        member.number = i + 1;
        std::string problem = CheckName(names, fileSize, index, entry, member);
        const bool emptyName = problem.empty() && member.storedName.empty();
        if (problem.empty()) {
            problem = CheckRecord(package, fileSize, index, entry, member);
        }
        if (emptyName) {
            if (problem.empty()) {
                check.emptyNamed.push_back(std::move(member));
            } else {
                check.emptyNamedFaults.push_back({i + 1, std::move(problem)});
            }
        } else if (!problem.empty()) {
            if (check.problems.empty() && reporting == Reporting::kEveryProblem) {
                // A damaged table tends to fault entry after entry.
                check.problems.reserve(check.memberCount - i);
            }
            check.problems.push_back({i + 1, std::move(problem)});
            if (reporting == Reporting::kFirstProblem) {
                // Faults of single members come before every overlap.
                return check;
            }
        } else {
            check.members.push_back(std::move(member));
        }
    }
    std::vector<const PackageMember*> records;
    records.reserve(check.members.size());
    for (const PackageMember& member : check.members) {
        records.push_back(&member);
    }
    const std::size_t most = reporting == Reporting::kFirstProblem ? 1 : SIZE_MAX;
    for (MemberFault& fault : FindOverlaps(records, most)) {
        check.problems.push_back(std::move(fault));
    }
    return check;
}

}  // namespace

PackageCheck CheckPackage(ByteSource& package) {
    return Check(package, Reporting::kEveryProblem);
}

std::vector<MemberFault> FindOverlappingRecords(const std::vector<const PackageMember*>& records) {
    return FindOverlaps(records, SIZE_MAX);
}

std::vector<PackageMember> ReadPackageMembers(ByteSource& package) {
    PackageCheck check = Check(package, Reporting::kFirstProblem);
    if (!check.problems.empty()) {
        Refuse(check.problems.front().Message(), package);
    }
    return std::move(check.members);
}

}  // namespace lumigram
