#include "package/package_diff.h"

#include <algorithm>
#include <array>
#include <deque>
#include <functional>
#include <unordered_map>

#include "package/editable_package.h"
#include "package/ezx_reader.h"
#include "platform/byte_source.h"
#include "platform/sha256.h"

namespace lumigram {
namespace {

using Digest = std::array<std::uint8_t, 32>;

// One record of a package, as diff compares it: by its content read in place
// where it can be (a package opened from its file), else by its digest.
struct Record {
    std::string name;
    std::uint32_t size = 0;
    std::function<Digest()> digest;
    std::function<std::size_t(std::uint64_t, std::span<std::uint8_t>)> readAt;
};

// Whether two records of one size hold the same bytes. Read side by side, a
// block at a time, they are told apart at their first differing block and
// cost no more memory than two blocks, however large they are.
bool SameContent(const Record& a, const Record& b) {
    if (!a.readAt || !b.readAt) {
        return a.digest() == b.digest();
    }
    constexpr std::size_t kBlock = 64 * 1024;
    std::vector<std::uint8_t> left(kBlock);
    std::vector<std::uint8_t> right(kBlock);
    for (std::uint64_t at = 0; at < a.size; at += kBlock) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, a.size - at));
        const std::size_t gotA = a.readAt(at, std::span(left.data(), want));
        const std::size_t gotB = b.readAt(at, std::span(right.data(), want));
        if (gotA != gotB ||
            !std::equal(left.begin(), left.begin() + static_cast<std::ptrdiff_t>(gotA),
                        right.begin())) {
            return false;
        }
        if (gotA < want) {
            return true;  // both end here
        }
    }
    return true;
}

std::vector<Record> RecordsOf(const EditablePackage& package) {
    std::vector<Record> records;
    for (std::size_t i = 0; i < package.members().size(); ++i) {
        records.push_back(
            {package.members()[i].storedName, package.members()[i].size,
             [&package, i] {
                 Sha256 hash;
                 package.ReadContentInBlocks(
                     i, [&](std::span<const std::uint8_t> bytes) { hash.Update(bytes); });
                 return hash.Finish();
             },
             nullptr});
    }
    return records;
}

// The matched pairs (in B's order) that every longest run keeping both
// packages' order holds. Whichever package comes first, the pairs are the same:
// the others are the moved ones (two swapped members are both moved).
std::vector<bool> InEveryLongestRun(const std::vector<std::size_t>& placesInA) {
    const std::size_t n = placesInA.size();
    // ending[k]: the longest increasing run ending at k; starting[k]: from k.
    std::vector<std::size_t> ending(n);
    std::vector<std::size_t> starting(n);
    std::vector<std::size_t> tails;
    for (std::size_t k = 0; k < n; ++k) {
        const auto at = std::lower_bound(tails.begin(), tails.end(), placesInA[k]);
        ending[k] = static_cast<std::size_t>(at - tails.begin()) + 1;
        if (at == tails.end()) {
            tails.push_back(placesInA[k]);
        } else {
            *at = placesInA[k];
        }
    }
    const std::size_t longest = tails.size();
    tails.clear();
    for (std::size_t k = n; k-- > 0;) {
        // Runs read backwards decrease: negate by taking the distance from the end.
        const std::size_t value = SIZE_MAX - placesInA[k];
        const auto at = std::lower_bound(tails.begin(), tails.end(), value);
        starting[k] = static_cast<std::size_t>(at - tails.begin()) + 1;
        if (at == tails.end()) {
            tails.push_back(value);
        } else {
            *at = value;
        }
    }
    std::vector<std::size_t> holders(longest + 1, 0);
    for (std::size_t k = 0; k < n; ++k) {
        if (ending[k] + starting[k] - 1 == longest) {
            ++holders[ending[k]];
        }
    }
    std::vector<bool> kept(n, false);
    for (std::size_t k = 0; k < n; ++k) {
        kept[k] = ending[k] + starting[k] - 1 == longest && holders[ending[k]] == 1;
    }
    return kept;
}

PackageDiff CompareRecords(const std::vector<Record>& a, const std::vector<Record>& b) {
    PackageDiff diff;
    // Each record of B takes the first unmatched record of A of its name.
    std::unordered_map<std::string, std::deque<std::size_t>> unmatchedInA;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unmatchedInA[a[i].name].push_back(i);
    }
    std::vector<bool> matchedInA(a.size(), false);
    std::vector<std::size_t> placesInA;
    std::vector<std::size_t> indicesInB;
    for (std::size_t j = 0; j < b.size(); ++j) {
        std::deque<std::size_t>& candidates = unmatchedInA[b[j].name];
        if (candidates.empty()) {
            diff.added.push_back(b[j].name);
            diff.addedAt.push_back(j);
            continue;
        }
        const std::size_t i = candidates.front();
        candidates.pop_front();
        matchedInA[i] = true;
        if (a[i].size != b[j].size || !SameContent(a[i], b[j])) {
            diff.changed.push_back(ChangedMember{b[j].name, a[i].size, b[j].size, {i, j}});
        }
        placesInA.push_back(i);
        indicesInB.push_back(j);
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!matchedInA[i]) {
            diff.removed.push_back(a[i].name);
            diff.removedAt.push_back(i);
        }
    }
    const std::vector<bool> kept = InEveryLongestRun(placesInA);
    for (std::size_t k = 0; k < placesInA.size(); ++k) {
        if (!kept[k]) {
            diff.moved.push_back(b[indicesInB[k]].name);
            diff.movedAt.push_back({placesInA[k], indicesInB[k]});
        }
    }
    return diff;
}

}  // namespace

PackageDiff ComparePackages(const EditablePackage& a, const EditablePackage& b) {
    return CompareRecords(RecordsOf(a), RecordsOf(b));
}

PackageDiff ComparePackageFiles(EditablePackage& a, EditablePackage& b) {
    std::vector<Record> records[2] = {RecordsOf(a), RecordsOf(b)};
    EditablePackage* packages[2] = {&a, &b};
    for (int p = 0; p < 2; ++p) {
        ByteSource& source = packages[p]->original();
        const std::vector<PackageEntry>& members = packages[p]->members();
        for (std::size_t i = 0; i < members.size(); ++i) {
            if (members[i].source.kind == MemberSource::Kind::kOriginal) {
                records[p][i].readAt = [&source, offset = members[i].source.offset](
                                           std::uint64_t at, std::span<std::uint8_t> bytes) {
                    return source.ReadAt(offset + at, bytes);
                };
            }
        }
        // Entries with an empty name hold records too; unpacking skips them.
        for (const PackageMember& member : CheckPackage(source).emptyNamed) {
            Record& record = records[p].emplace_back();
            record.size = member.size;
            record.digest = [&source, member] {
                Sha256 hash;
                std::vector<std::uint8_t> bytes(member.size);
                const std::size_t got = source.ReadAt(member.contentOffset, bytes);
                hash.Update(std::span(bytes.data(), got));
                return hash.Finish();
            };
            record.readAt = [&source, offset = member.contentOffset](
                                std::uint64_t at, std::span<std::uint8_t> bytes) {
                return source.ReadAt(offset + at, bytes);
            };
        }
    }
    return CompareRecords(records[0], records[1]);
}

}  // namespace lumigram
