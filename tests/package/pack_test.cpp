#include "package/ezx_pack.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "package/ezx_format.h"
#include "package/ezx_reader.h"
#include "platform/byte_file.h"
#include "platform/fault_injection.h"
#include "platform/io_error.h"
#include "platform/path.h"
#include "support/packages.h"
#include "support/pictures.h"

namespace lumigram::test {
namespace {

class PackTest : public ::testing::Test {
  protected:
    PackTest() { std::filesystem::create_directory(Src()); }
    std::string Src() const { return dir_.File("src"); }
    std::string Pkg() const { return dir_.File("out.ezx"); }
    void Put(const std::string& name, const Bytes& content = {}) {
        WriteAll(Src() + "/" + name, content);
    }
    std::vector<std::string> StoredOrder() {
        std::vector<std::string> names;
        for (const MemberFile& m : CollectMemberFiles(Src())) {
            names.push_back(m.storedName);
        }
        return names;
    }
    TempDir dir_;
};

TEST_F(PackTest, WorkedExampleIsWrittenByteForByte) {
    Put("icon.k", {1, 2, 3, 4, 5});
    Put("wall.g", {0xAA, 0xBB, 0xCC});
    EXPECT_EQ(PackEZX(Src(), Pkg()).members, 2u);
    EXPECT_EQ(ReadAll(Pkg()), ExamplePackage());
    EXPECT_EQ(ListFolder(dir_.path()), (std::vector<std::string>{"out.ezx", "src"}));
}

TEST_F(PackTest, MembersInterleaveTheThreeExtensions) {
    for (const char* name : {"c.k", "a.k", "b.k", "x.g", "z.a", "y.a", "note.txt"}) {
        Put(name);
    }
    EXPECT_EQ(StoredOrder(), (std::vector<std::string>{"a.k", "x.g", "y.a", "b.k", "z.a", "c.k"}));
}

TEST_F(PackTest, CollectsUpperCaseExtensionsButNotHiddenFilesOrFolders) {
    Put("PIC.K");
    Put("Wall.G");
    Put(".hidden.k");
    std::filesystem::create_directory(Src() + "/skin.k");
    EXPECT_EQ(StoredOrder(), (std::vector<std::string>{"PIC.K", "Wall.G"}));
}

TEST_F(PackTest, NothingToPackWritesNothing) {
    std::filesystem::create_directory(Src() + "/skin.k");
    Put(".hidden.k");
    WriteAll(Pkg(), {9, 9});
    EXPECT_EQ(PackEZX(Src(), Pkg()).members, 0u);
    EXPECT_EQ(ReadAll(Pkg()), (Bytes{9, 9}));
}

TEST_F(PackTest, LayoutMatchesAHandBuiltPackage) {
    // Sizes around the copy chunk and the kernel copy's threshold, an empty
    // member, and two names with one ID.
    const std::vector<std::vector<Member>> cases = {
        {{"a.k", CountingBytes(65535)},
         {"b.g", CountingBytes(65536, 1)},
         {"c.a", CountingBytes(200001, 2)},
         {"d.k", {7}}},
        {{"a.k", CountingBytes(8192)}, {"b.g", CountingBytes(8193)}, {"e.a", {}}},
        {{"big.k", CountingBytes(16384)}},
        {{"a.k", {1}}, {"b.g", {2}}},
    };
    for (const std::vector<Member>& members : cases) {
        std::filesystem::remove_all(Src());
        std::filesystem::create_directory(Src());
        for (const Member& m : members) {
            Put(m.name, m.content);
        }
        PackEZX(Src(), Pkg());
        EXPECT_EQ(ReadAll(Pkg()), BuildPackage(members)) << members[0].name;
    }
}

TEST_F(PackTest, FillBytesFollowTheNameListLength) {
    const std::pair<const char*, std::uint32_t> cases[] = {
        {"abcdefghij.k", 68},   // 13 bytes of names with 0x0A: 55 + 13 = 68, no fill
        {"abcdefghijk.k", 72},  // 14 bytes: 69, three fill bytes
    };
    for (const auto& [name, indexOffset] : cases) {
        std::filesystem::remove_all(Src());
        std::filesystem::create_directory(Src());
        Put(name, {1});
        PackEZX(Src(), Pkg());
        const Bytes pkg = ReadAll(Pkg());
        EXPECT_EQ(Le32(pkg, indexOffset), IndexMagic) << name;
        EXPECT_EQ(std::string(pkg.begin() + 16, pkg.begin() + 24),
                  indexOffset == 68 ? "00000044" : "00000048");
    }
}

TEST_F(PackTest, NamesAreStoredInWindows1252) {
    Put("caf\xC3\xA9.k", {1});
    PackEZX(Src(), Pkg());
    EXPECT_EQ(ReadAll(Pkg()), BuildPackage({{"caf\xE9.k", {1}}}));

    Put("\xE6\x97\xA5.g", {2});  // 日 has no Windows-1252 form
    try {
        PackEZX(Src(), Pkg());
        FAIL() << "no error";
    } catch (const FormatError& error) {
        EXPECT_EQ(error.path(), JoinPath(Src(), "\xE6\x97\xA5.g"));
        EXPECT_STREQ(error.what(),
                     "file name has no Windows-1252 form, so a package cannot store it");
    }
}

TEST_F(PackTest, LimitsOnMembersAndSize) {
#ifdef _WIN32
    GTEST_SKIP() << "too slow under Wine: 65536 member files, and a 2 GiB file that Windows does "
                    "not make sparse";
#else
    for (int i = 0; i < 65536; ++i) {
        Put(std::to_string(i) + ".a");
    }
    EXPECT_EQ(PackEZX(Src(), Pkg()).members, 65536u);
    {
        ByteFile package = ByteFile::OpenRead(Pkg());
        EXPECT_EQ(ReadPackageMembers(package).size(), 65536u);
    }
    Put("one-more.k");
    WriteAll(Pkg(), {1});
    try {
        PackEZX(Src(), Pkg());
        FAIL() << "no error";
    } catch (const FormatError& error) {
        EXPECT_STREQ(error.what(), "too many member files: 65537, a package holds at most 65536");
    }
    EXPECT_EQ(ReadAll(Pkg()), Bytes{1});

    // A (sparse) member that would take the package to 2 GiB is refused up front.
    std::filesystem::remove_all(Src());
    std::filesystem::create_directory(Src());
    Put("huge.k");
    std::filesystem::resize_file(Src() + "/huge.k", (std::uint64_t{1} << 31) - 80);
    try {
        PackEZX(Src(), Pkg());
        FAIL() << "no error";
    } catch (const FormatError& error) {
        EXPECT_STREQ(error.what(),
                     "the package would be 2147483672 bytes, a package must stay below 2 GiB");
    }
    EXPECT_EQ(ReadAll(Pkg()), Bytes{1});
#endif
}

TEST_F(PackTest, ReadOnlyMembersArePacked) {
    Put("icon.k", {1, 2, 3, 4, 5});
    Put("wall.g", {0xAA, 0xBB, 0xCC});
    ::chmod((Src() + "/icon.k").c_str(), 0444);
    ::chmod(Src().c_str(), 0555);
    ::chmod(dir_.path().c_str(), 0777);
    EXPECT_TRUE(RunWithoutPrivileges([&] {
        try {
            return PackEZX(Src(), Pkg()).members == 2 && ReadAll(Pkg()) == ExamplePackage();
        } catch (const Error&) {
            return false;
        }
    }));
}

TEST_F(PackTest, AnyWriteFailureLeavesTheEarlierPackageAndNoTemporary) {
    Put("icon.k", CountingBytes(30000));
    Put("wall.g", CountingBytes(100));
    const Bytes earlier = ExamplePackage();
    // Every write, close and rename along the way, failing in turn.
    for (int failAt = 1;; ++failAt) {
        WriteAll(Pkg(), earlier);
        int calls = 0;
        bool failed = false;
        try {
            ScopedIoFault fault([&](IoOp op) {
                const bool counted =
                    op == IoOp::kWrite || op == IoOp::kClose || op == IoOp::kRename;
                return counted && ++calls == failAt ? ENOSPC : 0;
            });
            PackEZX(Src(), Pkg());
        } catch (const IoError& error) {
            failed = true;
            EXPECT_STREQ(error.what(), "Disk full");
            EXPECT_FALSE(error.path().empty());
        }
        if (!failed) {
            EXPECT_GT(failAt, 3);
            break;
        }
        EXPECT_EQ(ReadAll(Pkg()), earlier) << "failure at call " << failAt;
        EXPECT_EQ(ListFolder(dir_.path()), (std::vector<std::string>{"out.ezx", "src"}))
            << "failure at call " << failAt;
    }
}

// What happens between one member and the next (through the progress seam):
// a stop, or a member file that grows or shrinks since it was measured, leaves
// the earlier package byte for byte and no temporary.
TEST_F(PackTest, StoppedOrChangedMidwayLeavesTheEarlierPackage) {
    const Bytes earlier = ExamplePackage();
    const struct {
        const char* what;
        bool stop;             // onProgress answers false
        std::size_t wallSize;  // wall.g rewritten to this size, unless stop
        const char* error;     // what the pack raises, or nullptr
    } rows[] = {
        {"stopped after the first member", true, 0, nullptr},
        {"the next member grew", false, 200, "grew while it was being packed; try again"},
        {"the next member shrank", false, 10, "Read beyond end of file"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Put("icon.k", CountingBytes(300));
        Put("wall.g", CountingBytes(100));
        WriteAll(Pkg(), earlier);
        PackOptions options;
        options.onProgress = [&](std::size_t done, std::size_t) {
            if (done == 1 && !row.stop) {
                Put("wall.g", CountingBytes(row.wallSize));
            }
            return !row.stop;
        };
        std::string raised;
        try {
            EXPECT_TRUE(PackEZX(Src(), Pkg(), options).cancelled);
        } catch (const IoError& error) {
            raised = error.what();
        }
        EXPECT_EQ(raised, row.error != nullptr ? row.error : "");
        EXPECT_EQ(ReadAll(Pkg()), earlier);
        EXPECT_EQ(ListFolder(dir_.path()), (std::vector<std::string>{"out.ezx", "src"}));
    }
}

TEST_F(PackTest, RealDiskFullLeavesTheEarlierPackage) {
    const std::string small = dir_.File("small");
    SmallDisk disk(small, "64k");
    if (!disk.mounted()) {
        GTEST_SKIP() << disk.whyNot();
    }
    const Bytes earlier = ExamplePackage();
    WriteAll(small + "/skin.ezx", earlier);
    Put("big.k", CountingBytes(100000));
    try {
        PackEZX(Src(), small + "/skin.ezx");
        ADD_FAILURE() << "packing into a full disk succeeded";
    } catch (const IoError& error) {
        EXPECT_STREQ(error.what(), "Disk full");
    }
    EXPECT_EQ(ReadAll(small + "/skin.ezx"), earlier);
    EXPECT_EQ(ListFolder(small), std::vector<std::string>{"skin.ezx"});
}

}  // namespace
}  // namespace lumigram::test
