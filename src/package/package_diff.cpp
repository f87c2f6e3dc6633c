#include "package/package_diff.h"

#include <algorithm>
#include <array>
#include <unordered_map>

#include "package/editable_package.h"
#include "platform/sha256.h"

namespace lumigram {
namespace {

std::array<std::uint8_t, 32> DigestOf(const EditablePackage& package, std::size_t index) {
    Sha256 hash;
    package.ReadContentInBlocks(index,
                                [&](std::span<const std::uint8_t> bytes) { hash.Update(bytes); });
    return hash.Finish();
}

}  // namespace

PackageDiff ComparePackages(const EditablePackage& a, const EditablePackage& b) {
    PackageDiff diff;
    std::unordered_map<std::string, std::size_t> inA;
    for (std::size_t i = 0; i < a.members().size(); ++i) {
        inA.emplace(a.members()[i].storedName, i);
    }
    std::unordered_map<std::string, std::size_t> inB;
    for (std::size_t i = 0; i < b.members().size(); ++i) {
        inB.emplace(b.members()[i].storedName, i);
    }
    for (const PackageEntry& entry : a.members()) {
        if (!inB.contains(entry.storedName)) {
            diff.removed.push_back(entry.storedName);
        }
    }
    // The common members in B's order, each with its place in A.
    std::vector<std::size_t> placesInA;
    std::vector<std::size_t> indicesInB;
    for (std::size_t j = 0; j < b.members().size(); ++j) {
        const PackageEntry& entry = b.members()[j];
        const auto found = inA.find(entry.storedName);
        if (found == inA.end() || found->second == SIZE_MAX) {
            if (found == inA.end()) {
                diff.added.push_back(entry.storedName);
            }
            continue;
        }
        const std::size_t i = found->second;
        const PackageEntry& before = a.members()[i];
        if (before.size != entry.size || DigestOf(a, i) != DigestOf(b, j)) {
            diff.changed.push_back(ChangedMember{entry.storedName, before.size, entry.size});
        }
        placesInA.push_back(i);
        indicesInB.push_back(j);
    }
    // Members outside the longest run that keeps A's order are the moved ones.
    std::vector<std::size_t> tails;  // index into placesInA of each run's last
    std::vector<std::size_t> previous(placesInA.size(), SIZE_MAX);
    for (std::size_t k = 0; k < placesInA.size(); ++k) {
        const auto at =
            std::lower_bound(tails.begin(), tails.end(), placesInA[k],
                             [&](std::size_t t, std::size_t v) { return placesInA[t] < v; });
        if (at != tails.begin()) {
            previous[k] = *(at - 1);
        }
        if (at == tails.end()) {
            tails.push_back(k);
        } else {
            *at = k;
        }
    }
    std::vector<bool> kept(placesInA.size(), false);
    for (std::size_t k = tails.empty() ? SIZE_MAX : tails.back(); k != SIZE_MAX; k = previous[k]) {
        kept[k] = true;
    }
    for (std::size_t k = 0; k < placesInA.size(); ++k) {
        if (!kept[k]) {
            diff.moved.push_back(b.members()[indicesInB[k]].storedName);
        }
    }
    return diff;
}

}  // namespace lumigram
