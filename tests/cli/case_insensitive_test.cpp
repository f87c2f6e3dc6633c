// Runs that write several files into one folder, on a real FAT file system
// (an image mounted with fusefat), where "Icon.k" and "icon.k" are one file:
// no output of a run replaces one the same run wrote; the first one wins.
#include <gtest/gtest.h>

#include "cli/cli_test_support.h"
#include "support/packages.h"
#include "support/pictures.h"
#include "support/test_files.h"

namespace lumigram::test {
namespace {

Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

class CaseInsensitiveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string image = dir_.File("fat.img");
        mount_ = dir_.File("mnt");
        const CommandResult made = RunCommand(
            "(command -v fusefat >/dev/null && command -v mkfs.vfat >/dev/null && test -c "
            "/dev/fuse && truncate -s 8M " +
            ShellQuote(image) + " && mkfs.vfat " + ShellQuote(image) + " >/dev/null && mkdir " +
            ShellQuote(mount_) + " && fusefat -o rw+ " + ShellQuote(image) + " " +
            ShellQuote(mount_) + " >/dev/null 2>&1)");
        if (made.exitCode != 0) {
            GTEST_SKIP() << "no FAT image could be mounted here (fusefat, mkfs.vfat and /dev/fuse "
                            "are needed): "
                         << made.err;
        }
        mounted_ = true;
    }
    void TearDown() override {
        if (mounted_) {
            RunCommand("(fusermount -u " + ShellQuote(mount_) + " || umount " + ShellQuote(mount_) +
                       ")");
        }
    }

    TempDir dir_;
    std::string mount_;
    bool mounted_ = false;
};

TEST_F(CaseInsensitiveTest, NoOutputReplacesOneTheSameRunWrote) {
    const Bytes skin = MakeSkin(1, 1, 18, 4, {1, 2, 3, 0});
    const std::string twoCases = dir_.File("two.ezx");
    WriteAll(twoCases,
             BuildPackage(
                 {{"Icon.k", Text("FIRST")}, {"icon.k", Text("SECOND")}, {"wall.g", Text("W")}}));
    const std::string threeCases = dir_.File("three.ezx");
    WriteAll(threeCases,
             BuildPackage({{"a.k", Text("1")}, {"A.k", Text("2")}, {"A.K", Text("3")}}));
    const std::string pictures = dir_.File("pictures");
    RunCommand("mkdir " + ShellQuote(pictures));
    WriteAll(pictures + "/A.K", skin);
    WriteAll(pictures + "/a.k", skin);
    const struct {
        const char* what;
        std::string command;  // its output folder is mount_/out
        std::vector<std::string> files;
        const char* first;  // the content of files[0]
        int skipped;        // messages saying so
    } rows[] = {
        {"unpack, two members differing in case",
         Args("unpack", twoCases, mount_ + "/out"),
         {"Icon.k", "wall.g"},
         "FIRST",
         1},
        {"unpack, three", Args("unpack", threeCases, mount_ + "/out"), {"a.k"}, "1", 2},
        {"unpack --png",
         Args("unpack", "--png", twoCases, mount_ + "/out"),
         {"Icon.k", "wall.g"},
         "FIRST",
         1},
        {"extract -d",
         Args("extract", twoCases, "icon.k", "Icon.k", "-d", mount_ + "/out"),
         {"icon.k"},
         "SECOND",
         1},
        {"convert-all A.K and a.k",
         Args("convert-all", pictures, mount_ + "/out"),
         {"A.BMP"},
         nullptr,
         1},
        {"convert -d",
         Args("convert", pictures + "/A.K", pictures + "/a.k", "-d", mount_ + "/out"),
         {"A.png"},
         nullptr,
         1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const CommandResult result = RunCli(row.command);
        EXPECT_EQ(result.exitCode, 1) << result.err;
        EXPECT_EQ(ListFolder(mount_ + "/out"), row.files);
        if (row.first != nullptr) {
            EXPECT_EQ(ReadAll(mount_ + "/out/" + row.files[0]), Text(row.first));
        }
        std::size_t said = 0;
        for (std::size_t at = 0;
             (at = result.err.find("this file system ignores case", at)) != std::string::npos;
             ++at) {
            ++said;
        }
        EXPECT_EQ(said, static_cast<std::size_t>(row.skipped)) << result.err;
        RunCommand("rm -rf " + ShellQuote(mount_ + "/out"));
    }
}

}  // namespace
}  // namespace lumigram::test
