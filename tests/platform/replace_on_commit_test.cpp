#include "platform/replace_on_commit.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "platform/byte_file.h"
#include "platform/fault_injection.h"
#include "platform/io_error.h"
#include "support/test_files.h"

namespace lumigram {
namespace {

using test::Bytes;

void WriteBytes(const std::string& path, const Bytes& bytes) {
    ByteFile file = ByteFile::Create(path);
    file.Write(bytes);
    file.Close();
}

TEST(ReplaceOnCommit, CommitReplacesTheTargetAndLeavesNothingElse) {
    test::TempDir dir;
    const std::string target = dir.File("out.bmp");
    test::WriteAll(target, {1, 1});
    {
        ReplaceOnCommit output(target);
        EXPECT_EQ(test::ListFolder(dir.path()).size(), 2u);  // target and the temporary
        WriteBytes(output.temporaryPath(), {7, 8, 9});
        EXPECT_EQ(test::ReadAll(target), (Bytes{1, 1}));
        output.Commit();
    }
    EXPECT_EQ(test::ReadAll(target), (Bytes{7, 8, 9}));
    EXPECT_EQ(test::ListFolder(dir.path()), std::vector<std::string>{"out.bmp"});
}

TEST(ReplaceOnCommit, FailureBeforeCommitKeepsTheEarlierFileAndRemovesTheTemporary) {
    test::TempDir dir;
    const std::string target = dir.File("out.bmp");
    test::WriteAll(target, {1, 1});
    try {
        ReplaceOnCommit output(target);
        WriteBytes(output.temporaryPath(), {7});
        throw std::runtime_error("conversion failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(test::ReadAll(target), (Bytes{1, 1}));
    EXPECT_EQ(test::ListFolder(dir.path()), std::vector<std::string>{"out.bmp"});
}

TEST(ReplaceOnCommit, FailedRenameNamesTheTargetAndCleansUp) {
    test::TempDir dir;
    const std::string target = dir.File("out.bmp");
    test::WriteAll(target, {1});
    try {
        ReplaceOnCommit output(target);
        ScopedIoFault fault([](IoOp op) { return op == IoOp::kRename ? EIO : 0; });
        output.Commit();
        FAIL() << "rename did not fail";
    } catch (const IoError& error) {
        EXPECT_EQ(error.path(), target);
    }
    EXPECT_EQ(test::ListFolder(dir.path()), std::vector<std::string>{"out.bmp"});
}

TEST(ReplaceOnCommit, MissingFolderIsReportedForTheTarget) {
    test::TempDir dir;
    const std::string target = dir.File("nope/out.bmp");
    try {
        ReplaceOnCommit output(target);
        FAIL() << "no error";
    } catch (const IoError& error) {
        EXPECT_EQ(error.code(), kFileNotFound);
        EXPECT_EQ(error.path(), target);
    }
}

}  // namespace
}  // namespace lumigram
