#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lumigram {

class ByteSource;

// One member of a checked package whose name is not empty (entries with an
// empty name are skipped: they create no file and their record is not read).
struct PackageMember {
    std::size_t number = 0;  // position in the member table, counting from 1
    std::string storedName;  // the name's bytes as stored (Windows-1252)
    std::uint32_t id = 0;
    std::uint32_t size = 0;
    std::uint64_t contentOffset = 0;
    std::uint32_t recordMagic = 0;  // as stored; the reader does not rely on it
};

// A fault of one entry: member is its number, what says what is wrong.
struct MemberFault {
    std::size_t member = 0;
    std::string what;
    std::size_t otherMember = 0;  // for an overlap: the member whose record it overlaps
    std::string Message() const { return "member " + std::to_string(member) + ": " + what; }
};

// The result of checking a whole package against its own length.
struct PackageCheck {
    std::uint32_t indexMagic = 0;
    std::size_t memberCount = 0;         // entries in the member table
    std::vector<PackageMember> members;  // the members that passed, in table order
    std::vector<MemberFault> problems;   // one per member that did not
    // Entries with an empty name, which unpacking skips without reading their
    // record: their records are checked all the same, for verify's sake.
    std::vector<PackageMember> emptyNamed;      // those whose record is in the file
    std::vector<MemberFault> emptyNamedFaults;  // those whose record is not
};

// Every pair of records (8-byte head plus content) that share a byte, each named
// once: a record that starts inside an earlier one is reported against the one
// reaching furthest. Faults name the later record's member.
std::vector<MemberFault> FindOverlappingRecords(const std::vector<const PackageMember*>& records);

// Checks everything the reader will follow before anything is written:
// - the eight index digits are hexadecimal (either case);
// - the index block lies within the file, its offsets are not negative and
//   MemberCount is 0 to 65,536;
// - the member table lies within the file;
// - for every entry: offsets not negative, a name ending in 0x0A within the file
//   and within 256 bytes, a record whose 8-byte head and Size bytes of content
//   lie within the file;
// - no two members' records overlap or coincide, so what unpacking writes can
//   never add up to more than the package holds.
// A fault of the header, index or table raises FormatError at once; faults of
// single members are collected, one message each ("member 3: content runs past
// the end of the package").
PackageCheck CheckPackage(ByteSource& package);

// CheckPackage, raising FormatError (naming the package) for its first problem.
std::vector<PackageMember> ReadPackageMembers(ByteSource& package);

// The prefix every package refusal starts with.
inline constexpr const char* kDamagedPackage = "damaged package: ";

}  // namespace lumigram
