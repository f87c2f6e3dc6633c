#include "platform/output_file.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "platform/byte_file.h"
#include "platform/fault_injection.h"
#include "platform/io_error.h"
#include "support/test_files.h"

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

}  // namespace
}  // namespace lumigram
