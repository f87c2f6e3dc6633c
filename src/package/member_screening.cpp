#include "package/member_screening.h"

#include <unordered_map>
#include <unordered_set>

#include "package/member_names.h"
#include "platform/case_folding.h"

namespace lumigram {

std::vector<std::string> ScreenMemberNames(const std::vector<PackageMember>& members) {
    std::vector<std::string> reasons;
    reasons.reserve(members.size());
    std::unordered_set<std::string_view> seen;
    for (const PackageMember& member : members) {
        const std::string_view name = member.storedName;
        const std::string quoted = "\"" + ShownMemberName(name) + "\"";
        const bool first = seen.insert(name).second;
        const std::string unsafe = UnsafeMemberNameReason(name);
        if (!unsafe.empty()) {
            reasons.push_back("unsafe name " + quoted + " not written: " + unsafe);
        } else if (name.starts_with('.')) {
            reasons.push_back(quoted + ": hidden file name, not written");
        } else if (!first) {
            reasons.push_back(quoted + ": duplicate member name, not written");
        } else {
            reasons.emplace_back();
        }
    }
    return reasons;
}

std::string UnstorableNameReason(std::string_view storedName) {
    if (storedName.find('\n') != std::string_view::npos) {
        return "its name holds a line feed (\\x0A), which ends a name in a package";
    }
    if (storedName.find('\0') != std::string_view::npos) {
        return "its name holds a NUL byte (\\x00)";
    }
    if (storedName.find('\\') != std::string_view::npos) {
        return "its name holds a backslash (\\\\), which unpacking takes for a path separator";
    }
    if (storedName.starts_with('.')) {
        return "its name begins with \".\", which unpacking skips as a hidden file";
    }
    const std::string unsafe = UnsafeMemberNameReason(storedName);
    if (!unsafe.empty()) {
        return "unpacking would refuse its name: " + unsafe;
    }
    return {};
}

std::string CaseFoldPairReason(const std::vector<std::string>& names) {
    std::unordered_map<std::string, const std::string*> byFolded;
    for (const std::string& name : names) {
        const auto [earlier, first] = byFolded.emplace(FoldCase(name), &name);
        if (!first && *earlier->second != name) {
            return EscapeName(*earlier->second, true) + " and " + EscapeName(name, true) +
                   " differ only in case: where case is ignored (a memory card) they would "
                   "unpack to one file; keep one of them";
        }
    }
    return {};
}

}  // namespace lumigram
