#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "cli/cli_test_support.h"
#include "support/packages.h"

namespace lumigram::test {
namespace {

class PackageCommandsTest : public ::testing::Test {
  protected:
    std::string Pkg() const { return dir_.File("skin.ezx"); }
    TempDir dir_;
};

TEST_F(PackageCommandsTest, PackWritesTheExampleAndUnpackCreatesTheFolder) {
    const std::string src = dir_.File("src");
    std::filesystem::create_directory(src);
    WriteAll(src + "/icon.k", {1, 2, 3, 4, 5});
    WriteAll(src + "/wall.g", {0xAA, 0xBB, 0xCC});
    const CommandResult pack = RunCli("pack " + Args(src, Pkg()));
    ASSERT_EQ(pack.exitCode, 0) << pack.err;
    EXPECT_EQ(ReadAll(Pkg()), ExamplePackage());

    const std::string out = dir_.File("new/deeper");
    const CommandResult unpack = RunCli("unpack " + Args(Pkg(), out));
    ASSERT_EQ(unpack.exitCode, 0) << unpack.err;
    EXPECT_EQ(ListFolder(out), (std::vector<std::string>{"icon.k", "wall.g"}));
}

TEST_F(PackageCommandsTest, NothingToPackExitsOneAndWritesNothing) {
    const std::string empty = dir_.File("empty");
    std::filesystem::create_directory(empty);
    const CommandResult r = RunCli("pack " + Args(empty, Pkg()));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "lumigram-cli: " + empty + ": nothing to pack: no .k, .g or .a file\n");
    EXPECT_FALSE(Exists(Pkg()));
}

TEST_F(PackageCommandsTest, ListPrintsSizesNamesAndIds) {
    WriteAll(Pkg(), BuildPackage({{"icon.k", {1, 2, 3, 4, 5}}, {"caf\xE9.g", {}}}));
    const CommandResult text = RunCli("list " + Args(Pkg()));
    ASSERT_EQ(text.exitCode, 0);
    EXPECT_EQ(text.out, "         5  icon.k\n         0  caf\xC3\xA9.g\n");
    const CommandResult json = RunCli("list --json " + Args(Pkg()));
    ASSERT_EQ(json.exitCode, 0);
    EXPECT_EQ(nlohmann::json::parse(json.out),
              nlohmann::json::parse(R"([{"name":"icon.k","size":5,"id":2535},
                                        {"name":"café.g","size":0,"id":2783}])"));
}

TEST_F(PackageCommandsTest, UnpackAndVerifyNameEveryProblem) {
    WriteAll(Pkg(), BuildPackage({{"ok.k", {1}}, {"../evil.k", {2}}, {"a/b", {3}}}));
    const CommandResult verify = RunCli("verify " + Args(Pkg()));
    EXPECT_EQ(verify.exitCode, 1);
    EXPECT_EQ(verify.err,
              "lumigram-cli: " + Pkg() +
                  ": member 2: unsafe name \"../evil.k\": it holds a path separator and would "
                  "leave the folder\n"
                  "lumigram-cli: " +
                  Pkg() +
                  ": member 3: unsafe name \"a/b\": it holds a path separator and would leave "
                  "the folder\n");

    const std::string out = dir_.File("out");
    const CommandResult unpack = RunCli("unpack " + Args(Pkg(), out));
    EXPECT_EQ(unpack.exitCode, 1);
    EXPECT_EQ(ListFolder(out), std::vector<std::string>{"ok.k"});
    EXPECT_NE(unpack.err.find(out + "/../evil.k: member 2: unsafe name"), std::string::npos)
        << unpack.err;
}

TEST_F(PackageCommandsTest, DamagedPackagesExitOneEverywhere) {
    Bytes damaged = ExamplePackage();
    damaged.resize(130);
    WriteAll(Pkg(), damaged);
    const std::string expected = "lumigram-cli: " + Pkg() +
                                 ": damaged package: member 2: record runs past the end of the "
                                 "package\n";
    for (const std::string command : {"list", "verify"}) {
        const CommandResult r = RunCli(command + " " + Args(Pkg()));
        EXPECT_EQ(r.exitCode, 1) << command;
        EXPECT_EQ(r.err, expected) << command;
    }
    const CommandResult unpack = RunCli("unpack " + Args(Pkg(), dir_.File("out")));
    EXPECT_EQ(unpack.exitCode, 1);
    EXPECT_FALSE(Exists(dir_.File("out")));  // nothing is created before the check

    const CommandResult sound = RunCli("verify " + Args(dir_.File("missing.ezx")));
    EXPECT_EQ(sound.exitCode, 1);
    EXPECT_EQ(sound.err, "lumigram-cli: " + dir_.File("missing.ezx") + ": File not found\n");
    WriteAll(Pkg(), ExamplePackage());
    EXPECT_EQ(RunCli("verify " + Args(Pkg())).exitCode, 0);
}

}  // namespace
}  // namespace lumigram::test
