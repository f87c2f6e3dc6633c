// convert: the direction from each input's content, the format from the output's
// name or --to, the refusals, and many inputs at once.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/cli_test_support.h"
#include "codec/skin_encoder.h"
#include "support/pictures.h"
#include "support/png_files.h"

namespace lumigram::test {
namespace {

const Bytes kGif = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0};

class ConvertCommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        BmpSpec spec;
        spec.width = 40;
        spec.height = 3;
        WriteAll(In("pic.bmp"), MakeBmp(spec));
        EncodeSkinPictureTo(In("pic.bmp"), In("icon.k"), TransparencyColour{}, true);
        WriteAll(In("picture.dat"), ReadAll(In("icon.k")));  // a .k by content only
        PngSpec png;
        png.width = 6;
        png.height = 2;
        png.raw = CountingBytes(6 * 2 * 4);
        WriteAll(In("pic.png"), MakePng(png));
        WriteAll(In("fake.bmp"), ReadAll(In("pic.png")));  // a PNG named .bmp
        WriteAll(In("anim.gif"), kGif);
        WriteAll(In("notes.txt"), Bytes(40, 'x'));
    }
    std::string In(const std::string& name) const { return dir_.File(name); }
    std::string Out(const std::string& name) const { return dir_.File("out/" + name); }
    TempDir dir_;
};

std::string Signature(const Bytes& bytes) {
    if (bytes.size() >= 4 && bytes[1] == 'P' && bytes[2] == 'N' && bytes[3] == 'G') {
        return "PNG";
    }
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
        return "BMP";
    }
    if (bytes.size() >= 3 && bytes[0] == 'G' && bytes[1] == 'I' && bytes[2] == 'F') {
        return "GIF";
    }
    return bytes.size() >= 16 && (bytes[8] == 18 || bytes[8] == 32) ? "K" : "?";
}

TEST_F(ConvertCommandTest, DirectionComesFromContentAndFormatFromNameOrTo) {
    struct Row {
        std::string input;
        std::string options;  // after the input; the output lands in out/
        std::string written;
        std::string kind;
    };
    const Row rows[] = {
        {"icon.k", "-d out", "icon.png", "PNG"},
        {"picture.dat", "-d out", "picture.png", "PNG"},
        {"pic.bmp", "-d out", "pic.k", "K"},
        {"fake.bmp", "-d out", "fake.k", "K"},
        {"anim.gif", "-d out", "anim.g", "GIF"},
        {"pic.png", "-d out --to g", "pic.g", "PNG"},
        {"icon.k", "-d out --to bmp", "icon.bmp", "BMP"},
        {"icon.k", "-o out/x.bmp", "x.bmp", "BMP"},
        {"pic.png", "-o out/x.K", "x.K", "K"},
        {"icon.k", "-o out/x.dat --to png", "x.dat", "PNG"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input + " " + row.options);
        std::filesystem::remove_all(dir_.File("out"));
        std::filesystem::create_directory(dir_.File("out"));
        const CommandResult r =
            RunCommand("cd " + ShellQuote(dir_.path()) + " && " + ShellQuote(LUMIGRAM_CLI) +
                       " convert " + Args(row.input) + " " + row.options);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(ListFolder(dir_.File("out")), std::vector<std::string>{row.written});
        EXPECT_EQ(Signature(ReadAll(Out(row.written))), row.kind);
    }
}

TEST_F(ConvertCommandTest, SenselessConversionsAreRefusedSayingWhatWouldWork) {
    struct Row {
        std::string arguments;
        int exitCode;
        std::string message;
    };
    const Row rows[] = {
        {Args(In("anim.gif"), "-o", Out("x.k")), 1,
         "which a .k skin picture cannot hold; a skin keeps it unchanged as a .g file (--to g)"},
        {Args(In("icon.k"), "-o", Out("x.g")), 1, "convert it to .png or .bmp instead"},
        {Args(In("icon.k"), "-d", dir_.File("out"), "--to", "k"), 1,
         "is already a .k skin picture"},
        {Args(In("pic.bmp"), "-o", Out("x.png")), 1,
         "is a BMP picture; convert turns it into a .k skin picture (--to k)"},
        {Args(In("notes.txt"), "-d", dir_.File("out")), 1,
         "is neither a .k skin picture nor a BMP, PNG or GIF picture"},
        {Args(In("icon.k"), "-o", Out("x.txt")), 1, "cannot tell the format to write"},
        {Args(In("icon.k")), 2, "give either -o OUTPUT or -d FOLDER"},
        {Args(In("icon.k"), In("pic.bmp"), "-o", Out("x.png")), 2, "-o takes one INPUT"},
        {Args(In("icon.k"), "--to", "jpg", "-d", dir_.File("out")), 2, "jpg"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments);
        const CommandResult r = RunCli("convert " + row.arguments);
        EXPECT_EQ(r.exitCode, row.exitCode);
        EXPECT_NE(r.err.find(row.message), std::string::npos) << r.err;
        EXPECT_FALSE(Exists(Out("x.k")) || Exists(Out("x.g")) || Exists(Out("x.png")));
    }
}

TEST_F(ConvertCommandTest, ManyInputsGoOnPastAFailureAndStandardOutputTakesOne) {
    const CommandResult r = RunCli(
        "convert " + Args(In("icon.k"), In("missing.k"), In("pic.png"), "-d", dir_.File("out")));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("missing.k: File not found"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("converted 2 of 3 files"), std::string::npos) << r.out;
    EXPECT_EQ(ListFolder(dir_.File("out")), (std::vector<std::string>{"icon.png", "pic.k"}));

    // The same bytes through standard output; and encode now takes a PNG into a .k.
    const CommandResult stdoutRun = RunCli("convert " + Args(In("icon.k"), "-o", "-"));
    EXPECT_EQ(stdoutRun.exitCode, 0);
    EXPECT_EQ(Bytes(stdoutRun.out.begin(), stdoutRun.out.end()), ReadAll(Out("icon.png")));
    EXPECT_EQ(RunCli("encode " + Args(In("pic.png"), In("encoded.k"))).exitCode, 0);
    EXPECT_EQ(ReadAll(In("encoded.k")), ReadAll(Out("pic.k")));

    // --no-clobber leaves an existing output alone.
    WriteAll(Out("icon.png"), {1});
    EXPECT_EQ(
        RunCli("convert " + Args(In("icon.k"), "-d", dir_.File("out"), "--no-clobber")).exitCode,
        0);
    EXPECT_EQ(ReadAll(Out("icon.png")), Bytes{1});
}

}  // namespace
}  // namespace lumigram::test
