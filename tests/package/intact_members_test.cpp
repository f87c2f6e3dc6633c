#include "package/intact_members.h"

#include <gtest/gtest.h>

#include "platform/byte_file.h"
#include "support/packages.h"

namespace lumigram::test {
namespace {

TEST(IntactMembersTest, KeepsTheMembersWhoseRecordsCanBeRead) {
    const std::vector<Member> members = {{"a.k", {1, 2}}, {"b.g", {3}}, {"c.a", {4, 5, 6}}};
    const Bytes sound = BuildPackage(members);
    Bytes truncated = sound;
    truncated.resize(sound.size() - 2);
    Bytes headerless = sound;
    headerless[16] = 'z';  // index digits no longer hexadecimal
    struct Row {
        const char* what;
        Bytes package;
        std::vector<std::string> names;
    };
    const std::vector<Row> rows = {{"sound", sound, {"a.k", "b.g", "c.a"}},
                                   {"last record cut short", truncated, {"a.k", "b.g"}},
                                   {"index unreadable", headerless, {}}};
    TempDir dir;
    for (const Row& row : rows) {
        WriteAll(dir.File("p.ezx"), row.package);
        ByteFile file = ByteFile::OpenRead(dir.File("p.ezx"));
        std::vector<std::string> names;
        for (const PackageMember& member : ReadIntactMembers(file)) {
            names.push_back(member.storedName);
        }
        EXPECT_EQ(names, row.names) << row.what;
    }
}

}  // namespace
}  // namespace lumigram::test
