#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace lumigram {

class ByteSource;

// How a finding bears on unpacking: a damaged package is refused whole; an
// unusual one is unpacked, with the odd members skipped or the odd fields ignored.
enum class FindingSeverity { kDamaged, kUnusual };

const char* FindingSeverityName(FindingSeverity severity);  // "damaged", "unusual"

// One way a package differs from what Lumigram's packer writes.
struct PackageFinding {
    std::optional<std::size_t> member;  // counting from 1; none for the package as a whole
    FindingSeverity severity = FindingSeverity::kUnusual;
    std::string message;  // printable text only; names are escaped
};

struct PackageFindings {
    std::size_t members = 0;  // entries in the member table (0 when it cannot be read)
    std::vector<PackageFinding> findings;
    bool sound() const { return findings.empty(); }
};

// Checks everything a package written by Lumigram has, reading only:
// - damaged (unpack refuses): every fault CheckPackage finds, overlapping records
//   of named members included;
// - unusual (unpack goes on): the text header, the index magic, each record magic,
//   each ID against NameToID of its name, empty names and their records, names
//   unpacking skips (unsafe, hidden, duplicate), overlaps involving empty names.
// Findings come in member order, those of the package as a whole first.
PackageFindings FindPackageFindings(ByteSource& package);

}  // namespace lumigram
