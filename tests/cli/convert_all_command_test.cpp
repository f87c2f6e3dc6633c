#include <gtest/gtest.h>

#include <filesystem>

#include "cli/cli_test_support.h"
#include "codec/skin_encoder.h"
#include "platform/path.h"
#include "support/pictures.h"
#include "support/test_files.h"

namespace lumigram::test {
namespace {

class ConvertAllCommandTest : public ::testing::Test {
  protected:
    ConvertAllCommandTest() {
        std::filesystem::create_directory(In());
        BmpSpec spec;
        spec.width = 4;
        spec.height = 3;
        WriteAll(In() + "/pic.bmp", MakeBmp(spec));
        EncodeSkinPictureTo(In() + "/pic.bmp", In() + "/icon.k", TransparencyColour{}, true);
        WriteAll(In() + "/wall.g", {'G', 'I', 'F', '8', '9', 'a'});
        WriteAll(In() + "/odd.g", {'?', '?'});
        WriteAll(In() + "/menu.a", {1, 2});
    }
    std::string In() const { return dir_.File("in"); }
    std::string Out() const { return dir_.File("new/out"); }
    TempDir dir_;
};

TEST_F(ConvertAllCommandTest, ConvertsTheSkinGroupIntoANewFolder) {
    const CommandResult r = RunCli("convert-all " + Args(In(), Out()));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ListFolder(Out()), (std::vector<std::string>{"icon.bmp", "menu.g", "wall.gif"}));
    EXPECT_EQ(ReadAll(Out() + "/menu.g"), (Bytes{1, 2}));
    EXPECT_EQ(r.out, "converted 3 of 4 files into " + Out() +
                         " (1 .g files neither GIF nor PNG skipped)\n");
    EXPECT_EQ(r.err, "");  // no progress line when stderr is not a terminal
}

TEST_F(ConvertAllCommandTest, ImageGroupAndTransparencyOptions) {
    ASSERT_EQ(RunCli("convert-all --group image --no-transparency " + Args(In(), Out())).exitCode,
              0);
    EXPECT_EQ(ListFolder(Out()), std::vector<std::string>{"pic.k"});
    EncodeSkinPictureTo(In() + "/pic.bmp", dir_.File("expected.k"), TransparencyColour{}, false);
    EXPECT_EQ(ReadAll(Out() + "/pic.k"), ReadAll(dir_.File("expected.k")));
}

TEST_F(ConvertAllCommandTest, DryRunWritesNothing) {
    const CommandResult r = RunCli("convert-all --dry-run " + Args(In(), Out()));
    ASSERT_EQ(r.exitCode, 0);
    const auto in = [&](const char* name) { return JoinPath(In(), name); };
    const auto out = [&](const char* name) { return JoinPath(Out(), name); };
    EXPECT_EQ(r.out, in("icon.k") + " -> " + out("icon.bmp") + "\n" + in("odd.g") +
                         " -> nothing (neither GIF nor PNG)\n" + in("wall.g") + " -> " +
                         out("wall.gif") + "\n" + in("menu.a") + " -> " + out("menu.g") + "\n");
    EXPECT_FALSE(Exists(Out()));
}

TEST_F(ConvertAllCommandTest, CarriesOnPastFailuresAndListsThem) {
    WriteAll(In() + "/broken.k", Bytes(5, 0));
    const CommandResult r = RunCli("convert-all " + Args(In(), Out()));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(ListFolder(Out()), (std::vector<std::string>{"icon.bmp", "menu.g", "wall.gif"}));
    EXPECT_EQ(r.err, "lumigram-cli: " + JoinPath(In(), "broken.k") +
                         ": not a skin picture: the file is 5 bytes, shorter than the "
                         "16-byte header\nlumigram-cli: 1 of 5 files failed\n");
    EXPECT_EQ(RunCli("convert-all --group pictures " + Args(In(), Out())).exitCode, 2);
    EXPECT_EQ(RunCli("convert-all " + Args(dir_.File("missing"), Out())).exitCode, 1);
}

TEST_F(ConvertAllCommandTest, AFullDiskFailsTheFilesThatDoNotFit) {
    const std::string small = dir_.File("small");
    SmallDisk disk(small, "12k");  // room for three small files
    if (!disk.mounted()) {
        GTEST_SKIP() << disk.whyNot();
    }
    WriteAll(In() + "/big.a", CountingBytes(20000));
    const CommandResult r = RunCli("convert-all " + Args(In(), small));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(small + "/big.g: Disk full"), std::string::npos) << r.err;
    EXPECT_EQ(ReadAll(small + "/menu.g"), (Bytes{1, 2}));  // what fitted was written
    for (const std::string& name : ListFolder(small)) {
        EXPECT_NE(name.front(), '.') << "a temporary was left: " << name;
    }
}

TEST_F(ConvertAllCommandTest, KindsIgnoreCaseAndOutputsNeverCollideSilently) {
    const Bytes skin = ReadAll(In() + "/icon.k");
    const Bytes gif{'G', 'I', 'F', '8', '9', 'a', 1};
    const Bytes png{0x89, 'P', 'N', 'G', 13, 10, 26, 10, 2};
    const Bytes earlier{9};  // an icon.bmp in the output folder from before the run
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, Bytes>> files;
        std::string options;
        std::vector<std::pair<std::string, Bytes>> outputs;  // checked names and contents
        int exitCode;
        std::string fragment;  // of stdout + stderr
    } cases[] = {
        {"upper-case kinds keep their case",
         {{"ICON.K", skin}, {"LOGO.G", gif}, {"Menu.A", {1}}},
         "",
         {{"ICON.BMP", {}}, {"LOGO.GIF", gif}, {"Menu.G", {1}}, {"icon.bmp", earlier}},
         0,
         "converted 3 of 3"},
        {"two files, one output name: the first is written",
         {{"logo.gif", gif}, {"logo.png", png}},
         "--group image",
         {{"icon.bmp", earlier}, {"logo.g", gif}},
         1,
         "/logo.png: not written: its output \"" + Out() + "/logo.g\" was already written from"},
        {"names that differ in case are different files here",
         {{"icon.k", skin}, {"ICON.K", skin}},
         "",
         {{"ICON.BMP", {}}, {"icon.bmp", {}}},
         0,
         "converted 2 of 2"},
        {"no-clobber leaves an existing output alone",
         {{"icon.k", skin}, {"menu.a", {1}}},
         "--no-clobber",
         {{"icon.bmp", earlier}, {"menu.g", {1}}},
         0,
         "/icon.bmp\" exists and is left alone"},
        {"dry run marks the collision",
         {{"logo.gif", gif}, {"logo.png", png}},
         "--group image --dry-run",
         {{"icon.bmp", earlier}},
         1,
         "/logo.png -> " + Out() + "/logo.g  COLLISION, not written"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(In());
        std::filesystem::remove_all(Out());
        std::filesystem::create_directories(In());
        std::filesystem::create_directories(Out());
        WriteAll(Out() + "/icon.bmp", earlier);
        for (const auto& [name, bytes] : c.files) {
            WriteAll(In() + "/" + name, bytes);
        }
        const CommandResult r = RunCli("convert-all " + c.options + " " + Args(In(), Out()));
        EXPECT_EQ(r.exitCode, c.exitCode) << c.what << "\n" << r.err;
        EXPECT_NE((r.out + r.err).find(c.fragment), std::string::npos) << c.what << "\n"
                                                                       << r.out << r.err;
        std::vector<std::string> names;
        for (const auto& [name, bytes] : c.outputs) {
            names.push_back(name);
            if (!bytes.empty()) {
                EXPECT_EQ(ReadAll(Out() + "/" + name), bytes) << c.what << ": " << name;
            }
        }
        EXPECT_EQ(ListFolder(Out()), names) << c.what;
    }
}

}  // namespace
}  // namespace lumigram::test
