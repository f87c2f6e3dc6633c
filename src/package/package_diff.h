#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lumigram {

class EditablePackage;

struct ChangedMember {
    std::string name;  // stored name
    std::uint32_t sizeA = 0;
    std::uint32_t sizeB = 0;
};

// How package B differs from package A, record by record. Each record of B is
// matched to the first unmatched record of A of its name (duplicate names
// count, each once), so comparing B with A gives the same differences mirrored:
// - added: records of B left unmatched; removed: of A (each in its package's order);
// - changed: matched, with another size or another SHA-256 of the content;
// - moved: matched, but outside a run that keeps the order of both packages:
//   one member moved to the end is one name; two swapped members are both moved.
struct PackageDiff {
    std::vector<std::string> added;
    std::vector<std::string> removed;
    std::vector<ChangedMember> changed;
    std::vector<std::string> moved;
    bool empty() const {
        return added.empty() && removed.empty() && changed.empty() && moved.empty();
    }
};

PackageDiff ComparePackages(const EditablePackage& a, const EditablePackage& b);

// The same, for two packages as opened from their files, counting the records
// of entries with an empty name as well (named "").
PackageDiff ComparePackageFiles(EditablePackage& a, EditablePackage& b);

}  // namespace lumigram
