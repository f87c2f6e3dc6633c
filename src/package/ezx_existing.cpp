#include "package/ezx_existing.h"

#include "package/ezx_reader.h"
#include "package/member_names.h"
#include "platform/ansi_codepage.h"
#include "platform/byte_file.h"
#include "platform/file_ops.h"
#include "platform/path.h"

namespace lumigram {

std::vector<std::string> ExistingMemberFiles(const std::string& packageFileName,
                                             const std::string& folder) {
    ByteFile package = ByteFile::OpenRead(packageFileName);
    const std::vector<PackageMember> members = ReadPackageMembers(package);
    package.Close();
    std::vector<std::string> existing;
    for (const PackageMember& member : members) {
        if (!UnsafeMemberNameReason(member.storedName).empty()) {
            continue;
        }
        std::string path = JoinPath(folder, AnsiToUtf8(member.storedName));
        if (FileExists(path)) {
            existing.push_back(std::move(path));
        }
    }
    return existing;
}

}  // namespace lumigram
