#include "platform/output_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

#include "platform/byte_file.h"
#include "platform/fault_injection.h"
#include "platform/io_error.h"
#include "support/test_files.h"
#ifndef _WIN32
#include "support/fat_image.h"
#endif

namespace lumigram {
namespace {

using test::Bytes;

TEST(OutputFile, CommitReplacesTheTargetAndLeavesNothingElse) {
    test::TempDir dir;
    const std::string target = dir.File("out.bmp");
    test::WriteAll(target, {1, 1});
    {
        const auto output = OutputFile::ForPath(target, false);
        const std::vector<std::string> names = test::ListFolder(dir.path());
        ASSERT_EQ(names.size(), 2u);  // target and the temporary, of a short hidden name
        EXPECT_EQ(names[0].size(), 16u);
        EXPECT_EQ(names[0].rfind(".lumigram-", 0), 0u);
        output->file().Write(Bytes{7, 8, 9});
        EXPECT_EQ(test::ReadAll(target), (Bytes{1, 1}));
        output->Commit();
    }
    EXPECT_EQ(test::ReadAll(target), (Bytes{7, 8, 9}));
    EXPECT_EQ(test::ListFolder(dir.path()), std::vector<std::string>{"out.bmp"});
}

TEST(OutputFile, FailureBeforeCommitKeepsTheEarlierFileAndRemovesTheTemporary) {
    test::TempDir dir;
    const std::string target = dir.File("out.bmp");
    test::WriteAll(target, {1, 1});
    try {
        const auto output = OutputFile::ForPath(target, false);
        output->file().Write(Bytes{7});
        throw std::runtime_error("conversion failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(test::ReadAll(target), (Bytes{1, 1}));
    EXPECT_EQ(test::ListFolder(dir.path()), std::vector<std::string>{"out.bmp"});
}

TEST(OutputFile, FailedRenameNamesTheTargetAndCleansUp) {
    test::TempDir dir;
    const std::string target = dir.File("out.bmp");
    test::WriteAll(target, {1});
    try {
        const auto output = OutputFile::ForPath(target, false);
        ScopedIoFault fault([](IoOp op) { return op == IoOp::kRename ? EIO : 0; });
        output->Commit();
        FAIL() << "rename did not fail";
    } catch (const IoError& error) {
        EXPECT_EQ(error.path(), target);
    }
    EXPECT_EQ(test::ListFolder(dir.path()), std::vector<std::string>{"out.bmp"});
}

TEST(OutputFile, MissingFolderIsNamedAndAnEmptyPathRefused) {
    test::TempDir dir;
    const std::string target = dir.File("nope/out.bmp");
    try {
        OutputFile::ForPath(target, false);
        FAIL() << "no error";
    } catch (const IoError& error) {
        EXPECT_EQ(error.code(), IoCode::kFileNotFound);
        EXPECT_EQ(error.path(), target);
        EXPECT_EQ(std::string(error.what()),
                  "the folder \"" + dir.File("nope/") + "\" does not exist");
    }
    EXPECT_THROW(OutputFile::ForPath("", false), IoError);
}

TEST(OutputFile, AReplacedFileIsSyncedBeforeTheRenameANewOneIsNot) {
    const struct {
        const char* what;
        bool existing;
        bool synced;
    } rows[] = {{"a new file", false, false}, {"a replaced file", true, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        test::TempDir dir;
        const std::string target = dir.File("out.k");
        if (row.existing) {
            test::WriteAll(target, {1});
        }
        std::vector<IoOp> ops;
        const ScopedIoFault record([&](IoOp op) {
            ops.push_back(op);
            return 0;
        });
        const auto output = OutputFile::ForPath(target, false);
        output->file().Write(Bytes{2});
        output->Commit();
        const auto sync = std::find(ops.begin(), ops.end(), IoOp::kSync);
        EXPECT_EQ(sync != ops.end(), row.synced);
        if (row.synced) {
            EXPECT_LT(sync, std::find(ops.begin(), ops.end(), IoOp::kRename));
        }
        EXPECT_EQ(test::ReadAll(target), Bytes{2});
    }
}

#ifndef _WIN32
TEST(OutputFile, AReplacedFileKeepsItsAttributesAndAclWhereTheFileSystemHoldsThem) {
    test::TempDir dir;
    const std::string target = dir.File("p.ezx");
    test::WriteAll(target, {1});
    const test::CommandResult set =
        test::RunCommand("setfattr -n user.note -v hello " + test::ShellQuote(target) +
                         " && setfacl -m u:nobody:rw " + test::ShellQuote(target));
    if (set.exitCode != 0) {
        GTEST_SKIP() << "this folder's file system keeps no user attributes or ACLs: " << set.err;
    }
    WriteWholeOutput(target, Bytes{2}, false);
    EXPECT_EQ(test::ReadAll(target), Bytes{2});
    const std::string quoted = test::ShellQuote(target);
    EXPECT_EQ(test::RunCommand("getfattr --only-values -n user.note " + quoted).out, "hello");
    EXPECT_NE(test::RunCommand("getfacl -p " + quoted).out.find("user:nobody:rw-"),
              std::string::npos);
}

TEST(OutputFile, OnAFileSystemWithoutModesFilesAreReplacedAndNoTemporaryStays) {
    test::TempDir dir;
    const test::FatImage fat(dir, "card");
    if (!fat.mounted()) {
        GTEST_SKIP() << fat.whyNot();
    }
    const std::string target = fat.path() + "/icon.k";
    for (const std::uint8_t round : Bytes{1, 2, 3}) {
        WriteWholeOutput(target, Bytes{round}, false);  // the first creates, the others replace
        EXPECT_EQ(test::ReadAll(target), Bytes{round});
    }
    EXPECT_EQ(test::ListFolder(fat.path()), std::vector<std::string>{"icon.k"});
}
#endif

}  // namespace
}  // namespace lumigram
