#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "cli/cli_test_support.h"
#include "platform/path.h"
#include "support/packages.h"
#include "support/pictures.h"

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
                  ": unusual package: member 2: unsafe name \"../evil.k\" not written: it holds "
                  "a path separator and would leave the folder\n"
                  "lumigram-cli: " +
                  Pkg() +
                  ": unusual package: member 3: unsafe name \"a/b\" not written: it holds a "
                  "path separator and would leave the folder\n");

    const std::string out = dir_.File("out");
    const CommandResult unpack = RunCli("unpack " + Args(Pkg(), out));
    EXPECT_EQ(unpack.exitCode, 1);
    EXPECT_EQ(ListFolder(out), std::vector<std::string>{"ok.k"});
    EXPECT_NE(unpack.err.find(JoinPath(out, "../evil.k: member 2: unsafe name")), std::string::npos)
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

TEST_F(PackageCommandsTest, VerifyReportsEveryDifferenceFromWhatThePackerWrites) {
    const Bytes good = ExamplePackage();
    const auto with = [](Bytes b, std::size_t at, std::uint32_t value) {
        PutLe32(b, at, value);
        return b;
    };
    Bytes header = good;
    header[3] = 'O';
    Bytes truncated = good;
    truncated.resize(130);
    // An empty name whose record lies far outside the file: unpack never reads it.
    const Bytes farEmpty = with(BuildPackage({{"", {9}}, {"next.k", {1}}}), 92, 0x7FFFFFFF);
    struct Case {
        const char* what;
        Bytes package;
        int members;
        const char* findings;  // JSON
    } cases[] = {
        {"the packer's own", good, 2, "[]"},
        {"text header", header, 2,
         R"([{"member":null,"severity":"unusual","message":"the text header is not the one )"
         R"(Lumigram writes: it differs at byte 3"}])"},
        {"index magic", with(good, 72, 0), 2,
         R"([{"member":null,"severity":"unusual","message":"index magic 0x00000000 is not )"
         R"(0xABCDDCBA"}])"},
        {"record magic and ID", with(with(good, 129, 7), 92, 1), 2,
         R"([{"member":1,"severity":"unusual","message":"ID 0x00000001 is not 0x000009E7, the )"
         R"(ID of its name"},{"member":2,"severity":"unusual","message":"record magic )"
         R"(0x00000007 is not 0xDCBAABCD"}])"},
        {"overlapping records", with(good, 112, 0), 2,
         R"([{"member":2,"severity":"damaged","message":"its record (bytes 116 to 128) )"
         R"(overlaps the record of member 1"}])"},
        {"truncated", truncated, 2,
         R"([{"member":2,"severity":"damaged","message":"record runs past the end of the )"
         R"(package"}])"},
        {"duplicate and hidden names", BuildPackage({{"a.k", {1}}, {".bashrc", {2}}, {"a.k", {3}}}),
         3,
         R"([{"member":2,"severity":"unusual","message":"\".bashrc\": hidden file name, not )"
         R"(written"},{"member":3,"severity":"unusual","message":"\"a.k\": duplicate member )"
         R"(name, not written"}])"},
        {"empty name", farEmpty, 2,
         R"([{"member":1,"severity":"unusual","message":"empty name, and its record runs past )"
         R"(the end of the package"}])"},
        {"bad digits", with(good, 16, 0x474E5089), 0,
         R"([{"member":null,"severity":"damaged","message":"the index offset )"
         R"(\"\\x89PNG0048\" is not eight hexadecimal digits"}])"},
    };
    for (const Case& c : cases) {
        WriteAll(Pkg(), c.package);
        const CommandResult r = RunCli("verify --json " + Args(Pkg()));
        const nlohmann::json findings = nlohmann::json::parse(c.findings);
        EXPECT_EQ(r.exitCode, findings.empty() ? 0 : 1) << c.what;
        EXPECT_EQ(nlohmann::json::parse(r.out),
                  (nlohmann::json{
                      {"sound", findings.empty()}, {"members", c.members}, {"findings", findings}}))
            << c.what;
    }
}

}  // namespace
}  // namespace lumigram::test
