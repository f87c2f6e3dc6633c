#include "package/ezx_pack.h"

#include <algorithm>

#include "package/editable_package.h"
#include "package/ezx_format.h"
#include "package/member_names.h"
#include "package/member_screening.h"
#include "platform/ansi_codepage.h"
#include "platform/file_ops.h"
#include "platform/folder_search.h"
#include "platform/input_limits.h"
#include "platform/io_error.h"
#include "platform/output_file.h"
#include "platform/path.h"

namespace lumigram {
namespace {

constexpr std::string_view kMemberExtensions[] = {".k", ".g", ".a"};

// The members as one package to save, each checked against the format's
// limits before anything is written; rules learns every member file, which the
// package must never replace.
EditablePackage PlanPackage(const std::string& folder, const std::vector<MemberFile>& members,
                            OutputRules& rules) {
    if (members.size() > static_cast<std::size_t>(MaxMembers)) {
        throw FormatError("too many member files: " + std::to_string(members.size()) +
                              ", a package holds at most " + std::to_string(MaxMembers),
                          folder);
    }
    EditablePackage package;
    std::int64_t nameListBytes = 0;
    std::int64_t dataBytes = 0;
    for (const MemberFile& member : members) {
        const std::string path = JoinPath(folder, member.fileName);
        if (member.storedName.size() > kMaxMemberNameBytes) {
            throw FormatError("file name is " + std::to_string(member.storedName.size()) +
                                  " bytes, a package stores at most " +
                                  std::to_string(kMaxMemberNameBytes),
                              path);
        }
        // A name the package cannot hold whole, or that unpacking would skip.
        if (const std::string why = UnstorableNameReason(member.storedName); !why.empty()) {
            throw FormatError("cannot be packed: " + why,
                              JoinPath(folder, EscapeName(member.fileName, true)));
        }
        FileIdentity identity;
        const std::uint64_t size = FileSizeOf(path, identity);
        rules.inputs.push_back(identity);
        package.AddInOrder(member.storedName, path, size);
        nameListBytes += static_cast<std::int64_t>(member.storedName.size()) + 1;
        dataBytes += static_cast<std::int64_t>(size) + static_cast<std::int64_t>(kRecordHeadSize);
    }
    CheckPackageLength(LayOutPackage(nameListBytes, members.size(), dataBytes).length, folder);
    return package;
}

}  // namespace

PackageLayout LayOutPackage(std::int64_t nameListBytes, std::size_t memberCount,
                            std::int64_t dataBytes) {
    PackageLayout layout;
    layout.indexOffset =
        (static_cast<std::int64_t>(kHeaderSize) + nameListBytes + 3) & ~std::int64_t{3};
    layout.length = layout.indexOffset + static_cast<std::int64_t>(kIndexBlockSize) +
                    static_cast<std::int64_t>(kEntrySize * memberCount) + dataBytes;
    return layout;
}

void CheckPackageLength(std::int64_t length, const std::string& folder) {
    if (length > kMaxPackageBytes) {
        throw FormatError("the package would be " + std::to_string(length) +
                              " bytes, a package must stay below 2 GiB",
                          folder);
    }
}

std::vector<std::vector<MemberFile>> CollectFileGroups(
    const std::string& folder, std::span<const std::string_view> extensions) {
    std::vector<std::vector<MemberFile>> groups;
    for (std::vector<std::string>& fileNames : FindFilesOfEach(folder, extensions)) {
        std::vector<MemberFile>& group = groups.emplace_back();
        for (std::string& fileName : fileNames) {
            std::optional<std::string> stored = Utf8ToAnsi(fileName);
            if (!stored) {
                throw FormatError(
                    "file name has no Windows-1252 form, so a package cannot store it",
                    JoinPath(folder, EscapeName(fileName, true)));
            }
            group.push_back(MemberFile{std::move(fileName), std::move(*stored)});
        }
        std::sort(group.begin(), group.end(), [](const MemberFile& a, const MemberFile& b) {
            return SearchOrderLess(a.storedName, b.storedName);
        });
    }
    return groups;
}

std::vector<MemberFile> InterleaveGroups(std::vector<std::vector<MemberFile>> groups) {
    std::vector<MemberFile> members;
    for (std::size_t i = 0;; ++i) {
        bool any = false;
        for (std::vector<MemberFile>& group : groups) {
            if (i < group.size()) {
                members.push_back(std::move(group[i]));
                any = true;
            }
        }
        if (!any) {
            return members;
        }
    }
}

std::vector<MemberFile> CollectMemberFiles(const std::string& folder) {
    std::vector<MemberFile> members =
        InterleaveGroups(CollectFileGroups(folder, kMemberExtensions));
    std::vector<std::string> names;
    for (const MemberFile& member : members) {
        names.push_back(member.fileName);
    }
    if (const std::string why = CaseFoldPairReason(names); !why.empty()) {
        throw FormatError(why, folder);
    }
    return members;
}

PackResult PackEZX(const std::string& folder, const std::string& packageFileName,
                   const PackOptions& options) {
    const std::vector<MemberFile> members = CollectMemberFiles(folder);
    PackResult result;
    if (members.empty()) {
        return result;
    }
    OutputRules rules;
    const EditablePackage package = PlanPackage(folder, members, rules);
    if (!package.Save(packageFileName, rules, options.onProgress)) {
        result.cancelled = true;  // an earlier package of that name stays
        return result;
    }
    result.members = members.size();
    return result;
}

}  // namespace lumigram
