#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lumigram {

// Where a matched record stands in each package. A position past a package's
// members() is one of the records with an empty name, counted after them.
struct RecordPair {
    std::size_t inA = 0;
    std::size_t inB = 0;
};

struct ChangedMember {
    std::string name;  // stored name
    std::uint32_t sizeA = 0;
    std::uint32_t sizeB = 0;
    RecordPair at;
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
    // The positions of the same records, one for each name above: a name can
    // stand for more than one member, a position for one only.
    std::vector<std::size_t> addedAt;    // in B
    std::vector<std::size_t> removedAt;  // in A
    std::vector<RecordPair> movedAt;
    bool empty() const {
        return added.empty() && removed.empty() && changed.empty() && moved.empty();
    }
};

class EditablePackage;

PackageDiff ComparePackages(const EditablePackage& a, const EditablePackage& b);

// The same, for two packages as opened from their files, counting the records
// of entries with an empty name as well (named "").
PackageDiff ComparePackageFiles(EditablePackage& a, EditablePackage& b);

}  // namespace lumigram
