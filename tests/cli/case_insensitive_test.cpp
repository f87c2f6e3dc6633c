// Runs that write several files into one folder, on a real FAT file system
// (an image mounted with fusefat), where "Icon.k" and "icon.k" are one file:
// no output of a run replaces one the same run wrote; the first one wins.
#include <gtest/gtest.h>

#include <functional>

#include "cli/cli_test_support.h"
#include "support/fat_image.h"
#include "support/packages.h"
#include "support/pictures.h"
#include "support/test_files.h"

namespace lumigram::test {
namespace {

Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

TEST(CaseInsensitive, NoOutputReplacesOneTheSameRunWrote) {
    const TempDir dir;
    const FatImage fat(dir, "mnt");
    if (!fat.mounted()) {
        GTEST_SKIP() << fat.whyNot();
    }
    const std::string& mount = fat.path();
    const Bytes skin = MakeSkin(1, 1, 18, 4, {1, 2, 3, 0});
    const std::string twoCases = dir.File("two.ezx");
    WriteAll(twoCases,
             BuildPackage(
                 {{"Icon.k", Text("FIRST")}, {"icon.k", Text("SECOND")}, {"wall.g", Text("W")}}));
    const std::string threeCases = dir.File("three.ezx");
    WriteAll(threeCases,
             BuildPackage({{"a.k", Text("1")}, {"A.k", Text("2")}, {"A.K", Text("3")}}));
    const std::string pictures = dir.File("pictures");
    RunCommand("mkdir " + ShellQuote(pictures));
    WriteAll(pictures + "/A.K", skin);
    WriteAll(pictures + "/a.k", skin);
    const std::string plain = dir.File("plain.ezx");
    WriteAll(plain, BuildPackage({{"icon.k", Text("NEW")}, {"wall.g", Text("W")}}));
    const auto existing = [&] {
        RunCommand("mkdir " + ShellQuote(mount + "/out"));
        WriteAll(mount + "/out/ICON.K", Text("OLD"));
    };
    const auto unpackedOnce = [&] { RunCli(Args("unpack", plain, mount + "/out")); };
    const struct {
        const char* what;
        std::string command;  // its output folder is mount/out
        std::vector<std::string> files;
        const char* first;             // the content of files[0]
        int skipped;                   // messages saying so, and then the exit code is 1
        std::function<void()> before;  // what is in mount/out before the command
    } rows[] = {
        {"unpack, two members differing in case",
         Args("unpack", twoCases, mount + "/out"),
         {"Icon.k", "wall.g"},
         "FIRST",
         1,
         {}},
        {"unpack, three", Args("unpack", threeCases, mount + "/out"), {"a.k"}, "1", 2, {}},
        {"unpack --png",
         Args("unpack", "--png", twoCases, mount + "/out"),
         {"Icon.k", "wall.g"},
         "FIRST",
         1,
         {}},
        {"extract -d",
         Args("extract", twoCases, "icon.k", "Icon.k", "-d", mount + "/out"),
         {"icon.k"},
         "SECOND",
         1,
         {}},
        {"convert-all A.K and a.k",
         Args("convert-all", pictures, mount + "/out"),
         {"A.BMP"},
         nullptr,
         1,
         {}},
        {"convert -d",
         Args("convert", pictures + "/A.K", pictures + "/a.k", "-d", mount + "/out"),
         {"A.png"},
         nullptr,
         1,
         {}},
        // Not this run's output: replaced, as a file of the member's own name is.
        {"a member differing only in case from an existing file",
         Args("unpack", plain, mount + "/out"),
         {"icon.k", "wall.g"},
         "NEW",
         0,
         existing},
        // The file system keeps no modes: replacing needs none, and the
        // temporaries all go.
        {"a second unpack into the same folder",
         Args("unpack", plain, mount + "/out"),
         {"icon.k", "wall.g"},
         "NEW",
         0,
         unpackedOnce},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.before) {
            row.before();
        }
        const CommandResult result = RunCli(row.command);
        EXPECT_EQ(result.exitCode, row.skipped > 0 ? 1 : 0) << result.err;
        EXPECT_EQ(ListFolder(mount + "/out"), row.files);
        if (row.first != nullptr) {
            EXPECT_EQ(ReadAll(mount + "/out/" + row.files[0]), Text(row.first));
        }
        std::size_t said = 0;
        for (std::size_t at = 0;
             (at = result.err.find("this file system ignores case", at)) != std::string::npos;
             ++at) {
            ++said;
        }
        EXPECT_EQ(said, static_cast<std::size_t>(row.skipped)) << result.err;
        RunCommand("rm -rf " + ShellQuote(mount + "/out"));
    }
}

}  // namespace
}  // namespace lumigram::test
