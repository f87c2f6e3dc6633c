#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/cli_test_support.h"
#include "codec/skin_decoder.h"
#include "codec/skin_encoder.h"
#include "support/pictures.h"

namespace lumigram::test {
namespace {

class CodecCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        BmpSpec spec;
        spec.width = 33;
        spec.height = 7;
        spec.pixel = [](int x, int y) {
            return (x + y) % 5 == 0 ? Rgb{255, 0, 255}
                                    : Rgb{static_cast<std::uint8_t>(x * 7), 9,
                                          static_cast<std::uint8_t>(y * 30)};
        };
        WriteAll(dir_.File("pic.bmp"), MakeBmp(spec));
    }

    TempDir dir_;
};

TEST_F(CodecCommandsTest, EncodeAndDecodeWriteWhatTheCodecWrites) {
    const std::string bmp = dir_.File("pic.bmp");
    const std::string k = dir_.File("pic.k");
    const std::string back = dir_.File("back.bmp");

    struct Case {
        std::string options;
        TransparencyColour colour;
        bool enabled;
    };
    const Case cases[] = {
        {"", TransparencyColour{255, 0, 255}, true},
        {"--transparency-color 00ff00", TransparencyColour{0, 255, 0}, true},
        {"--transparency-color " + ShellQuote("#FF00FF") + " --no-transparency",
         TransparencyColour{255, 0, 255}, false},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(RunCli("encode " + Args(bmp, k) + " " + c.options).exitCode, 0) << c.options;
        EncodeSkinPictureTo(bmp, dir_.File("expected.k"), c.colour, c.enabled);
        EXPECT_EQ(ReadAll(k), ReadAll(dir_.File("expected.k"))) << c.options;

        ASSERT_EQ(RunCli("decode " + Args(k, back) + " " + c.options).exitCode, 0) << c.options;
        DecodeSkinPictureTo(k, dir_.File("expected.bmp"), c.colour, c.enabled);
        EXPECT_EQ(ReadAll(back), ReadAll(dir_.File("expected.bmp"))) << c.options;
    }
}

TEST_F(CodecCommandsTest, EncodeCopiesOtherPicturesUnchanged) {
    const Bytes png{0x89, 'P', 'N', 'G', 13, 10, 26, 10, 1, 2, 3};
    WriteAll(dir_.File("logo.png"), png);
    ASSERT_EQ(RunCli("encode " + Args(dir_.File("logo.png"), dir_.File("logo.g"))).exitCode, 0);
    EXPECT_EQ(ReadAll(dir_.File("logo.g")), png);
}

TEST_F(CodecCommandsTest, InfoPrintsJsonAndText) {
    ASSERT_EQ(RunCli("encode " + Args(dir_.File("pic.bmp"), dir_.File("pic.k"))).exitCode, 0);
    const CommandResult json = RunCli("info --json " + Args(dir_.File("pic.k")));
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const auto object = nlohmann::json::parse(json.out);
    EXPECT_EQ(object, nlohmann::json::parse(R"({"width":33,"height":7,"bits_per_pixel":18,
        "row_stride":100,"mask_stride":4,"mask":"full","file_size":744})"));

    const CommandResult text = RunCli("info " + Args(dir_.File("pic.k")));
    ASSERT_EQ(text.exitCode, 0);
    EXPECT_NE(text.out.find("width:          33\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("mask:           full\n"), std::string::npos) << text.out;
}

TEST_F(CodecCommandsTest, ErrorsNameTheFileAndExitOne) {
    const std::string missing = dir_.File("missing.k");
    const CommandResult notFound = RunCli("decode " + Args(missing, dir_.File("x.bmp")));
    EXPECT_EQ(notFound.exitCode, 1);
    EXPECT_EQ(notFound.err, "lumigram-cli: " + missing + ": File not found\n");

    WriteAll(dir_.File("short.k"), Bytes(3, 0));
    const CommandResult refused = RunCli("info " + Args(dir_.File("short.k")));
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, "lumigram-cli: " + dir_.File("short.k") +
                               ": not a skin picture: the file is 3 bytes, shorter than the "
                               "16-byte header\n");
}

TEST_F(CodecCommandsTest, FailedConversionLeavesTheEarlierOutputAndNoTemporary) {
    const Bytes earlier{1, 2, 3};
    WriteAll(dir_.File("out.k"), earlier);
    Bytes bad = ReadAll(dir_.File("pic.bmp"));
    PutLe16(bad, 28, 8);
    WriteAll(dir_.File("bad.bmp"), bad);
    const CommandResult r = RunCli("encode " + Args(dir_.File("bad.bmp"), dir_.File("out.k")));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("unsupported BMP: 8 bits per pixel, 24 or 32 expected"),
              std::string::npos);
    EXPECT_EQ(ReadAll(dir_.File("out.k")), earlier);
    EXPECT_EQ(ListFolder(dir_.path()), (std::vector<std::string>{"bad.bmp", "out.k", "pic.bmp"}));

    WriteAll(dir_.File("bad.bmp"), Bytes(15, 0));  // shorter than a skin header
    const CommandResult d = RunCli("decode " + Args(dir_.File("bad.bmp"), dir_.File("out.k")));
    EXPECT_EQ(d.exitCode, 1);
    EXPECT_EQ(ReadAll(dir_.File("out.k")), earlier);
    EXPECT_EQ(ListFolder(dir_.path()).size(), 3u);
}

TEST_F(CodecCommandsTest, UsageErrorsExitTwo) {
    const char* cases[] = {
        "",
        "decode",
        "decode only-one.k",
        "frobnicate a b",
        "encode a.bmp b.k --transparency-color 12345",
        "encode a.bmp b.k --transparency-color GG0000",
        "info a.k --no-such-option",
    };
    for (const char* arguments : cases) {
        EXPECT_EQ(RunCli(arguments).exitCode, 2) << arguments;
    }
}

TEST_F(CodecCommandsTest, HelpAndVersion) {
    const CommandResult help = RunCli("--help");
    EXPECT_EQ(help.exitCode, 0);
    for (const char* command : {"decode", "encode", "info"}) {
        EXPECT_NE(help.out.find(command), std::string::npos) << command;
        const CommandResult sub = RunCli(std::string(command) + " --help");
        EXPECT_EQ(sub.exitCode, 0);
        EXPECT_NE(sub.out.find("Example"), std::string::npos) << command;
    }
    const CommandResult version = RunCli("--version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("lumigram-cli ", 0), 0u);
}

}  // namespace
}  // namespace lumigram::test
