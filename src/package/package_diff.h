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

// How package B differs from package A, by stored member names:
// - added: in B only; removed: in A only (each in its package's order);
// - changed: in both, with another size or another SHA-256 of the content;
// - moved: in both, but out of the order the members common to both have in A
//   (the fewest such members, so one member moved to the end is one name).
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

}  // namespace lumigram
