#include "package/intact_members.h"

#include <algorithm>

#include "platform/io_error.h"

namespace lumigram {

std::vector<PackageMember> ReadIntactMembers(ByteSource& package) {
    PackageCheck check;
    try {
        check = CheckPackage(package);
    } catch (const FormatError&) {
        return {};  // no member table to go by
    }
    // An overlap is reported against the later member; the earlier one keeps
    // its bytes.
    std::vector<PackageMember> intact;
    for (PackageMember& member : check.members) {
        const bool faulty =
            std::any_of(check.problems.begin(), check.problems.end(),
                        [&](const MemberFault& fault) { return fault.member == member.number; });
        if (!faulty) {
            intact.push_back(std::move(member));
        }
    }
    return intact;
}

}  // namespace lumigram
