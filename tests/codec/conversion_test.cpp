#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "codec/convert_one_file.h"
#include "codec/picture_groups.h"
#include "codec/scratch_conversion.h"
#include "platform/copy_by_blocks.h"
#include "platform/io_error.h"
#include "support/pictures.h"
#include "support/test_files.h"

namespace lumigram::test {
namespace {

TEST(CopyFileByBlocks, CopiesExactlyAndNeverOntoItself) {
#ifdef _WIN32
    GTEST_SKIP() << "POSIX only: the alias is a symbolic link, which needs a privilege on Windows";
#else
    TempDir dir;
    for (const std::size_t size : {0u, 1u, 4095u, 4096u, 4097u, 12288u}) {
        WriteAll(dir.File("src"), CountingBytes(size));
        WriteAll(dir.File("dst"), CountingBytes(50000));  // emptied first
        CopyFileByBlocks(dir.File("src"), dir.File("dst"));
        EXPECT_EQ(ReadAll(dir.File("dst")), CountingBytes(size)) << size;
    }
    ASSERT_EQ(::symlink(dir.File("src").c_str(), dir.File("alias").c_str()), 0);
    for (const std::string& same : {dir.File("src"), dir.File("alias"), dir.path() + "/./src"}) {
        try {
            CopyFileByBlocks(dir.File("src"), same);
            ADD_FAILURE() << same;
        } catch (const Error& error) {
            EXPECT_STREQ(error.what(), "cannot copy a file onto itself");
        }
    }
    EXPECT_EQ(ReadAll(dir.File("src")), CountingBytes(12288));
    try {
        CopyFileByBlocks(dir.File("missing"), dir.File("new"));
        ADD_FAILURE();
    } catch (const IoError& error) {
        EXPECT_STREQ(error.what(), "File not found");
    }
    EXPECT_FALSE(Exists(dir.File("new")));
#endif
}

TEST(PictureGroups, ListsExtensionsInTableOrderUpToALimit) {
    TempDir dir;
    for (const char* name : {"b.k", "a.a", "c.g", "a.k", "x.bmp", "y.PNG"}) {
        WriteAll(dir.File(name), {1});
    }
    using Names = std::vector<std::string>;
    EXPECT_EQ(ListGroupFiles(dir.path(), FileKind::kSkin, 100),
              (Names{"a.k", "b.k", "c.g", "a.a"}));
    EXPECT_EQ(ListGroupFiles(dir.path(), FileKind::kNone, 3), (Names{"a.k", "b.k", "c.g"}));
    EXPECT_EQ(ListGroupFiles(dir.path(), FileKind::kOrdinary, 100), (Names{"x.bmp", "y.PNG"}));
}

TEST(ConvertOneFile, NamesTheOutputAfterTheScratchResult) {
    TempDir dir;
    WriteAll(dir.File("my.skin.a"), {'G', 'I', 'F'});
    WriteAll(dir.File("junk.g"), {'J'});
    const ConversionOutcome copied =
        ConvertOneFile(dir.File("my.skin.a"), dir.path(), dir.path(), {}, true);
    EXPECT_TRUE(copied.written);
    EXPECT_EQ(copied.destination, dir.File("my.skin.g"));
    EXPECT_EQ(ReadAll(dir.File("my.skin.g")), (Bytes{'G', 'I', 'F'}));
    const ConversionOutcome nothing =
        ConvertOneFile(dir.File("junk.g"), dir.path(), dir.path(), {}, true);
    EXPECT_FALSE(nothing.written);
    EXPECT_TRUE(nothing.destination.empty());
    for (const char* scratch : {"temp.bmp", "temp.gif", "temp.png", "temp.k", "temp.g"}) {
        EXPECT_FALSE(Exists(dir.File(scratch))) << scratch;
    }
    EXPECT_EQ(PlannedOutputExtension(dir.File("my.skin.a")), ".g");
    EXPECT_EQ(PlannedOutputExtension(dir.File("junk.g")), "");
}

// The scratch file a source stands for follows from the source alone: a stale
// scratch file of an earlier conversion never decides it.
TEST(PrepareScratchFile, TheSourceDecidesNotWhatTheScratchFolderHolds) {
    TempDir dir;
    const std::string scratch = dir.File("scratch");
    std::filesystem::create_directory(scratch);
    BmpSpec spec;
    spec.width = 2;
    spec.height = 2;
    WriteAll(dir.File("pic.bmp"), MakeBmp(spec));
    WriteAll(dir.File("wall.g"), {0x89, 'P', 'N', 'G'});
    WriteAll(dir.File("anim.a"), {'G', 'I', 'F'});
    WriteAll(dir.File("junk.g"), {'J'});
    const struct {
        const char* source;
        const char* result;
    } rows[] = {
        {"pic.bmp", "temp.k"}, {"wall.g", "temp.png"}, {"anim.a", "temp.g"}, {"junk.g", ""}};
    for (const auto& row : rows) {
        for (const char* stale : {"temp.bmp", "temp.gif", "temp.png", "temp.k", "temp.g"}) {
            WriteAll(scratch + "/" + stale, {9});
        }
        const std::string result = PrepareScratchFile(dir.File(row.source), scratch, {}, true);
        EXPECT_EQ(result, *row.result ? JoinPath(scratch, row.result) : "") << row.source;
        if (!result.empty()) {
            EXPECT_NE(ReadAll(result), Bytes{9}) << row.source;
        }
    }
}

}  // namespace
}  // namespace lumigram::test
