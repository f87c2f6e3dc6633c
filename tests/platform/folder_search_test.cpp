#include "platform/folder_search.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/io_error.h"
#include "support/test_files.h"

namespace lumigram {
namespace {

using Names = std::vector<std::string>;

TEST(FolderSearch, MatchesExtensionIgnoringCaseAndSkipsHiddenAndFolders) {
    test::TempDir dir;
    for (const char* name : {"b.k", "A.K", "c.k.bak", ".hidden.k", "d.bmp", "e.Kk", "f.k"}) {
        test::WriteAll(dir.File(name), {1});
    }
    std::filesystem::create_directory(dir.File("folder.k"));
    EXPECT_EQ(FindFiles(dir.path(), ".k"), (Names{"A.K", "b.k", "f.k"}));
    EXPECT_EQ(FindFiles(dir.path(), ".bmp"), (Names{"d.bmp"}));
    EXPECT_EQ(FindFiles(dir.path(), ".g"), Names{});
}

TEST(FolderSearch, LinksToFilesCountDanglingLinksDoNot) {
#ifdef _WIN32
    GTEST_SKIP() << "POSIX only: symbolic links need a privilege on Windows";
#else
    test::TempDir dir;
    test::WriteAll(dir.File("real.bin"), {1});
    ASSERT_EQ(::symlink(dir.File("real.bin").c_str(), dir.File("link.k").c_str()), 0);
    ASSERT_EQ(::symlink(dir.File("gone").c_str(), dir.File("dangling.k").c_str()), 0);
    EXPECT_EQ(FindFiles(dir.path(), ".k"), (Names{"link.k"}));
#endif
}

TEST(FolderSearch, OrderFoldsCaseThenUsesBytes) {
#ifdef _WIN32
    GTEST_SKIP() << "names that differ only in case are one file on Windows";
#else
    test::TempDir dir;
    for (const char* name : {"b.k", "a.k", "B.k", "_x.k", "Z.k", "A.k", "a1.k"}) {
        test::WriteAll(dir.File(name), {1});
    }
    // "_" (0x5F) sorts after the upper-case letters once case is folded.
    EXPECT_EQ(FindFiles(dir.path(), ".k"),
              (Names{"A.k", "a.k", "a1.k", "B.k", "b.k", "Z.k", "_x.k"}));
#endif
}

// "No pictures" and "could not look" must not read the same.
TEST(FolderSearch, AFolderThatCannotBeListedIsAnErrorNamingIt) {
#ifdef _WIN32
    GTEST_SKIP() << "POSIX only: a folder one may enter but not list needs permission bits";
#else
    test::TempDir dir;
    test::WriteAll(dir.File("file.k"), {1});
    const std::pair<std::string, std::string> cases[] = {
        {"/no/such/folder/anywhere", "folder not found"},
        {dir.File("file.k"), "is not a folder"},
    };
    for (const auto& [folder, message] : cases) {
        try {
            FindFiles(folder, ".k");
            ADD_FAILURE() << folder;
        } catch (const IoError& error) {
            EXPECT_EQ(error.path(), folder);
            EXPECT_EQ(std::string(error.what()), message);
        }
    }
    ::chmod(dir.path().c_str(), 0300);  // can enter, cannot list
    EXPECT_TRUE(test::RunWithoutPrivileges([&] {
        try {
            FindFiles(dir.path(), ".k");
            return false;
        } catch (const IoError& error) {
            return std::string(error.what()) == "File access denied";
        }
    }));
    ::chmod(dir.path().c_str(), 0700);
#endif
}

}  // namespace
}  // namespace lumigram
