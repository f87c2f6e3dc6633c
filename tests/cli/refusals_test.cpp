#include <gtest/gtest.h>

#include <filesystem>

#include "cli/cli_test_support.h"
#include "support/packages.h"
#include "support/pictures.h"

namespace lumigram::test {
namespace {

// True when text holds only printable ASCII and line ends: nothing a terminal
// would act on.
bool Printable(const std::string& text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c != '\n' && (byte < 0x20 || byte >= 0x7F)) {
            return false;
        }
    }
    return true;
}

TEST(Refusals, WrongOrHostileInputsExitOneWithAReasonAndWriteNothing) {
    TempDir dir;
    // 5,616 bytes claiming 5600 × 5600 at 32 bits, RowStride 1.
    WriteAll(dir.File("wide.k"), MakeSkin(5600, 5600, 32, 1, Bytes(5600, 0)));
    WriteAll(dir.File("red.bmp"), MakeBmp({.width = 2, .height = 2}));
    WriteAll(dir.File("red.k"), MakeSkin(1, 1, 18, 4, {0x4C, 0x26, 3, 0}));
    WriteAll(dir.File("pic.png"), {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 13});
    WriteAll(dir.File("notes.txt"), {'h', 'i'});
    Bytes overlap = ExamplePackage();
    PutLe32(overlap, 112, 0);  // member 2's record is member 1's
    WriteAll(dir.File("overlap.ezx"), overlap);
    WriteAll(dir.File("dup.ezx"), BuildPackage({{"a.k", {1}}, {"a.k", {2}}}));
    WriteAll(dir.File("hidden.ezx"), BuildPackage({{".bashrc", {1}}, {"ok.k", {2}}}));
    std::filesystem::create_directories(dir.File("lf"));
    WriteAll(dir.File("lf/icon.k\n.k"), {1});
    std::filesystem::create_directories(dir.File("bs"));
    WriteAll(dir.File("bs/a\\b.k"), {1});

    struct Case {
        const char* arguments;  // run in dir
        const char* fragment;   // of stderr
        const char* notWritten;
    } cases[] = {
        {"decode wide.k out.bmp", "RowStride 1 is shorter than the 22400 bytes", "out.bmp"},
        {"thumbnail wide.k out.png 128", "RowStride 1 is shorter", "out.png"},
        {"unpack overlap.ezx out", "member 2: its record (bytes 116 to 128) overlaps",
         "out/icon.k"},
        {"unpack dup.ezx out", "member 2: \"a.k\": duplicate member name, not written", ""},
        {"unpack hidden.ezx out", "member 1: \".bashrc\": hidden file name, not written",
         "out/.bashrc"},
        {"pack lf pkg.ezx", "lf/icon.k\\x0A.k: cannot be packed: its name holds a line feed",
         "pkg.ezx"},
        {"pack bs pkg.ezx", "its name holds a backslash", "pkg.ezx"},
        {"decode red.bmp out.bmp", "red.bmp: is a BMP picture, not a skin picture", "out.bmp"},
        {"info red.bmp", "is a BMP picture, not a skin picture", ""},
        {"decode pic.png out.bmp", "is a PNG picture, not a skin picture", "out.bmp"},
        {"encode red.k out.bmp",
         "already a skin picture; to turn it into a BMP: lumigram-cli decode", "out.bmp"},
        {"encode pic.png pic.bmp",
         "is a PNG picture: encode copies it unchanged into an OUTPUT "
         "ending in .g, or encodes it into one ending in .k",
         "pic.bmp"},
        {"encode pic.png pic.k", "pic.png: unreadable PNG: end of stream", "pic.k"},
        {"encode notes.txt notes.k", "is neither a BMP, a GIF nor a PNG picture", "notes.k"},
        {"list red.bmp", "the index offset \"\\x00\\x00\\x02\\x00\\x00\\x00\\x02\\x00\" is not",
         ""},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(dir.File("out"));
        const CommandResult r = RunCommand("cd " + ShellQuote(dir.path()) + " && " +
                                           ShellQuote(LUMIGRAM_CLI) + " " + c.arguments);
        EXPECT_EQ(r.exitCode, 1) << c.arguments;
        EXPECT_NE(r.err.find(c.fragment), std::string::npos) << c.arguments << "\n" << r.err;
        EXPECT_TRUE(Printable(r.err)) << c.arguments;
        if (*c.notWritten != '\0') {
            EXPECT_FALSE(Exists(dir.File(c.notWritten))) << c.arguments;
        }
    }
    // The first member of a name is unpacked, and only it.
    RunCommand("cd " + ShellQuote(dir.path()) + " && " + ShellQuote(LUMIGRAM_CLI) +
               " unpack dup.ezx out");
    EXPECT_EQ(ReadAll(dir.File("out/a.k")), Bytes{1});
    // A GIF or PNG still goes unchanged to a ".g" of either case.
    EXPECT_EQ(RunCli("encode " + Args(dir.File("pic.png"), dir.File("PIC.G"))).exitCode, 0);
    EXPECT_EQ(ReadAll(dir.File("PIC.G")), ReadAll(dir.File("pic.png")));
}

}  // namespace
}  // namespace lumigram::test
