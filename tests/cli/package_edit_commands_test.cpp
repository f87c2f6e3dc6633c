// extract, update, delete and diff against hand-laid packages, and the whole
// package through PNG: unpack --png, pack --from-png.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "cli/cli_test_support.h"
#include "codec/skin_encoder.h"
#include "support/packages.h"
#include "support/pictures.h"
#include "support/png_files.h"

namespace lumigram::test {
namespace {

class PackageEditTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteAll(Pkg(), BuildPackage(kMembers));
        std::filesystem::create_directory(dir_.File("files"));
    }
    std::string Pkg() const { return dir_.File("skin.ezx"); }
    std::string File(const std::string& name) const { return dir_.File("files/" + name); }
    const std::vector<Member> kMembers = {
        {"a.k", {1, 2, 3}}, {"w.g", {4}}, {"m.a", {}}, {"b.k", CountingBytes(9000)}};
    TempDir dir_;
};

TEST_F(PackageEditTest, ExtractWritesMembersUnchanged) {
    const struct {
        std::string arguments;
        int exitCode;
        std::vector<std::string> written;  // in files/
    } rows[] = {
        {Args(Pkg(), "a.k", "b.k", "-d", dir_.File("files")), 0, {"a.k", "b.k"}},
        {Args(Pkg(), "w.g", "-o", File("copy.g")), 0, {"copy.g"}},
        {Args(Pkg(), "a.k", "none.k", "-d", dir_.File("files")), 1, {"a.k"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments);
        std::filesystem::remove_all(dir_.File("files"));
        std::filesystem::create_directory(dir_.File("files"));
        const CommandResult r = RunCli("extract " + row.arguments);
        EXPECT_EQ(r.exitCode, row.exitCode) << r.err;
        EXPECT_EQ(ListFolder(dir_.File("files")), row.written);
    }
    EXPECT_EQ(ReadAll(File("a.k")), kMembers[0].content);
    const CommandResult out = RunCli("extract " + Args(Pkg(), "b.k", "-o", "-"));
    EXPECT_EQ(Bytes(out.out.begin(), out.out.end()), kMembers[3].content);
    EXPECT_NE(RunCli("extract " + Args(Pkg(), "x.k")).err.find("no member named \"x.k\""),
              std::string::npos);
}

TEST_F(PackageEditTest, UpdateAndDeleteRewriteThePackageOnceKeepingTheRest) {
    BmpSpec spec;
    spec.width = 8;
    spec.height = 2;
    WriteAll(dir_.File("icon.bmp"), MakeBmp(spec));
    EncodeSkinPictureTo(dir_.File("icon.bmp"), dir_.File("icon.k"), TransparencyColour{}, true);
    const Bytes encoded = ReadAll(dir_.File("icon.k"));
    WriteAll(File("b.k"), {7, 7});
    WriteAll(File("c.g"), {8});
    WriteAll(File("a.bmp"), MakeBmp(spec));
    WriteAll(File("bad.txt"), {1});
    const Bytes start = BuildPackage(kMembers);
    const struct {
        const char* what;
        std::string command;
        int exitCode;
        std::vector<Member> expected;  // empty: the package as it was
    } rows[] = {
        {"replace and add",
         "update " + Args(Pkg(), File("b.k"), File("c.g")),
         0,
         {kMembers[0], {"c.g", {8}}, kMembers[1], kMembers[2], {"b.k", {7, 7}}}},
        {"convert a BMP into its .k",
         "update " + Args(Pkg(), File("a.bmp"), "--convert"),
         0,
         {{"a.k", encoded}, kMembers[1], kMembers[2], kMembers[3]}},
        {"a refused file leaves the package",
         "update " + Args(Pkg(), File("c.g"), File("bad.txt")),
         1,
         {}},
        {"delete", "delete " + Args(Pkg(), "w.g", "a.k"), 0, {kMembers[2], kMembers[3]}},
        {"a missing member leaves the package", "delete " + Args(Pkg(), "w.g", "none.k"), 1, {}},
        {"no member left is refused", "delete " + Args(Pkg(), "a.k", "w.g", "m.a", "b.k"), 1, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        WriteAll(Pkg(), start);
        const CommandResult r = RunCli(row.command);
        EXPECT_EQ(r.exitCode, row.exitCode) << r.err;
        EXPECT_EQ(ReadAll(Pkg()), row.expected.empty() ? start : BuildPackage(row.expected));
    }
}

TEST_F(PackageEditTest, EditsInPlaceGoThroughLinksAndSpareWriteProtectedPackages) {
    WriteAll(File("c.g"), {8});
    const std::string link = dir_.File("current.ezx");
    std::filesystem::create_symlink("skin.ezx", link);
    EXPECT_EQ(RunCli("update " + Args(link, File("c.g"))).exitCode, 0);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    const Bytes updated = ReadAll(Pkg());
    EXPECT_NE(updated, BuildPackage(kMembers));

    std::filesystem::permissions(Pkg(), std::filesystem::perms::owner_read |
                                            std::filesystem::perms::group_read |
                                            std::filesystem::perms::others_read);
    const CommandResult refused = RunCli("delete " + Args(link, "c.g"));
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, "lumigram-cli: " + link + ": is write-protected; nothing was written\n");
    EXPECT_EQ(ReadAll(Pkg()), updated);
    EXPECT_EQ(RunCli("delete --force " + Args(link, "c.g")).exitCode, 0);
    EXPECT_EQ(ReadAll(Pkg()), BuildPackage(kMembers));
    EXPECT_EQ(std::filesystem::status(Pkg()).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                  std::filesystem::perms::others_read);
}

TEST_F(PackageEditTest, DiffListsAddedRemovedChangedAndMoved) {
    WriteAll(
        dir_.File("other.ezx"),
        BuildPackage({{"w.g", {4}}, {"a.k", {1, 2}}, {"n.a", {}}, {"b.k", CountingBytes(9000)}}));
    const CommandResult json = RunCli("diff " + Args(Pkg(), dir_.File("other.ezx"), "--json"));
    EXPECT_EQ(json.exitCode, 1);
    EXPECT_EQ(nlohmann::json::parse(json.out),
              nlohmann::json::parse(R"({"added":["n.a"],"removed":["m.a"],)"
                                    R"("changed":[{"name":"a.k","size_a":3,"size_b":2}],)"
                                    R"("moved":["w.g","a.k"]})"));
    const CommandResult text = RunCli("diff " + Args(Pkg(), Pkg()));
    EXPECT_EQ(text.exitCode, 0);
    EXPECT_EQ(text.out, "");
}

TEST_F(PackageEditTest, UnpackAsPngThenPackFromPngGivesTheSamePackage) {
    std::filesystem::create_directory(dir_.File("skin"));
    for (const int width : {3, 33, 40}) {
        BmpSpec spec;
        spec.width = width;
        spec.height = 4;
        spec.pixel = [](int x, int y) {
            return (x + y) % 3 == 0 ? Rgb{255, 0, 255}
                                    : Rgb{static_cast<std::uint8_t>(x * 5), 40,
                                          static_cast<std::uint8_t>(y * 9)};
        };
        const std::string bmp = dir_.File("p.bmp");
        WriteAll(bmp, MakeBmp(spec));
        const std::string name = "pic" + std::to_string(width);
        EncodeSkinPictureTo(bmp, dir_.File("skin/" + name + ".k"), TransparencyColour{}, true);
        EncodeSkinPictureTo(bmp, dir_.File("skin/" + name + "_opaque.k"), TransparencyColour{},
                            false);
    }
    WriteAll(dir_.File("skin/logo.g"), {'G', 'I', 'F', '8', '9', 'a'});
    WriteAll(dir_.File("skin/menu.a"), {1, 2});
    ASSERT_EQ(RunCli("pack " + Args(dir_.File("skin"), dir_.File("one.ezx"))).exitCode, 0);

    const CommandResult unpack =
        RunCli("unpack " + Args(dir_.File("one.ezx"), dir_.File("png"), "--png"));
    ASSERT_EQ(unpack.exitCode, 0) << unpack.err;
    const Bytes keyed = ReadPng(ReadAll(dir_.File("png/pic40.png"))).rgba;
    EXPECT_EQ(keyed[3], 0);  // (0, 0) is transparent
    EXPECT_EQ(keyed[7], 255);
    EXPECT_EQ(ReadPng(ReadAll(dir_.File("png/pic40_opaque.png"))).colorType, 2);
    EXPECT_EQ(ReadAll(dir_.File("png/menu.a")), (Bytes{1, 2}));
    const CommandResult pack =
        RunCli("pack " + Args(dir_.File("png"), dir_.File("two.ezx"), "--from-png"));
    ASSERT_EQ(pack.exitCode, 0) << pack.err;
    EXPECT_EQ(ReadAll(dir_.File("two.ezx")), ReadAll(dir_.File("one.ezx")));

    // NAME.png beside NAME.k: both would be the member NAME.k.
    WriteAll(dir_.File("png/pic40.k"), {1});
    const CommandResult both =
        RunCli("pack " + Args(dir_.File("png"), dir_.File("three.ezx"), "--from-png"));
    EXPECT_EQ(both.exitCode, 1);
    EXPECT_NE(both.err.find("both pic40.png and pic40.k"), std::string::npos) << both.err;
    EXPECT_FALSE(Exists(dir_.File("three.ezx")));
}

}  // namespace
}  // namespace lumigram::test

namespace lumigram::test {
namespace {

// diff A B and diff B A give the same differences mirrored, every record counted.
TEST(PackageDiffCommand, IsSymmetricAndCountsEveryRecord) {
    const struct {
        const char* what;
        std::vector<Member> a;
        std::vector<Member> b;
        const char* json;  // diff A B; diff B A swaps added and removed, sizes
    } rows[] = {
        {"a duplicate name",
         {{"a.k", {1}}, {"a.k", {2}}},
         {{"a.k", {1}}},
         R"({"added":[],"removed":["a.k"],"changed":[],"moved":[]})"},
        {"an extra empty name",
         {{"a.k", {1}}},
         {{"a.k", {1}}, {"", {7}}},
         R"({"added":[""],"removed":[],"changed":[],"moved":[]})"},
        {"a swap moves both",
         {{"x.k", {1}}, {"y.k", {2}}},
         {{"y.k", {2}}, {"x.k", {1}}},
         R"({"added":[],"removed":[],"changed":[],"moved":["y.k","x.k"]})"},
        {"one moved to the end",
         {{"a.k", {1}}, {"b.k", {2}}, {"c.k", {3}}},
         {{"b.k", {2}}, {"c.k", {3}}, {"a.k", {1}}},
         R"({"added":[],"removed":[],"changed":[],"moved":["a.k"]})"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        TempDir dir;
        WriteAll(dir.File("a.ezx"), BuildPackage(row.a));
        WriteAll(dir.File("b.ezx"), BuildPackage(row.b));
        const CommandResult forth =
            RunCli(Args("diff", dir.File("a.ezx"), dir.File("b.ezx"), "--json"));
        const CommandResult back =
            RunCli(Args("diff", dir.File("b.ezx"), dir.File("a.ezx"), "--json"));
        EXPECT_EQ(forth.exitCode, 1);
        EXPECT_EQ(back.exitCode, 1);
        nlohmann::json expected = nlohmann::json::parse(row.json);
        EXPECT_EQ(nlohmann::json::parse(forth.out), expected);
        std::swap(expected["added"], expected["removed"]);
        nlohmann::json mirrored = nlohmann::json::parse(back.out);
        for (const char* list : {"moved"}) {  // the same names, in the other package's order
            std::sort(mirrored[list].begin(), mirrored[list].end());
            std::sort(expected[list].begin(), expected[list].end());
        }
        EXPECT_EQ(mirrored, expected);
    }
}

// The editing commands say what they did, once, and refuse before writing.
TEST(PackageEditCommands, NamedTwiceAndStandardOutputFailing) {
    TempDir dir;
    const std::string package = dir.File("p.ezx");
    const std::vector<Member> start = {{"icon.k", {1}}, {"wall.g", {2}}};
    std::filesystem::create_directories(dir.File("a"));
    std::filesystem::create_directories(dir.File("b"));
    WriteAll(dir.File("a/icon.k"), {7});
    WriteAll(dir.File("b/icon.k"), {8});
    WriteAll(dir.File("icon.bmp"), MakeBmp({.width = 2, .height = 2}));
    const struct {
        const char* what;
        std::string command;  // a whole command line where it starts with "("
        int exitCode;
        std::string says;  // in stderr, or stdout when exitCode is 0
        std::vector<Member> after;
    } rows[] = {
        {"two FILEs for one member",
         Args("update", package, dir.File("a/icon.k"), dir.File("b/icon.k")), 1,
         "as " + dir.File("a/icon.k") + " does", start},
        {"--convert: a BMP and a .k for one member",
         Args("update", "--convert", package, dir.File("a/icon.k"), dir.File("icon.bmp")), 1,
         "goes into the member \"icon.k\"", start},
        {"a member named twice is deleted once",
         Args("delete", package, "wall.g", "wall.g"),
         0,
         "deleted 1 members",
         {{"icon.k", {1}}}},
        {"standard output failing after the package was written: 1",
         "(" + Args(LUMIGRAM_CLI, "delete", package, "wall.g") + " >/dev/full)",
         1,
         "standard output",
         {{"icon.k", {1}}}},
        {"the same for update",
         "(" + Args(LUMIGRAM_CLI, "update", package, dir.File("a/icon.k")) + " >/dev/full)",
         1,
         "standard output",
         {{"icon.k", {7}}, {"wall.g", {2}}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        WriteAll(package, BuildPackage(start));
        const CommandResult result =
            row.command.starts_with("(") ? RunCommand(row.command) : RunCli(row.command);
        EXPECT_EQ(result.exitCode, row.exitCode) << result.err;
        EXPECT_NE((row.exitCode == 0 ? result.out : result.err).find(row.says), std::string::npos)
            << result.out << result.err;
        EXPECT_EQ(ReadAll(package), BuildPackage(row.after));
    }
}

}  // namespace
}  // namespace lumigram::test

namespace lumigram::test {
namespace {

// A typed "\x81" and the byte 0x81 never print alike, in list or diff.
TEST(MemberNamesShown, BackslashesDoubledAndBytesEscaped) {
    TempDir dir;
    const std::string package = dir.File("p.ezx");
    WriteAll(package, BuildPackage({{"\\x81x.k", {1}}, {"\x81x.k", {2}}, {"a\x1b[2J.k", {3}}}));
    WriteAll(dir.File("empty.ezx"), BuildPackage({{"other.k", {1}}}));
    const CommandResult list = RunCli(Args("list", package));
    EXPECT_EQ(list.out, "         1  \\\\x81x.k\n         1  \\x81x.k\n         1  a\\x1b[2J.k\n");
    const CommandResult diff = RunCli(Args("diff", dir.File("empty.ezx"), package));
    EXPECT_NE(diff.out.find("added    \\\\x81x.k\nadded    \\x81x.k\n"), std::string::npos)
        << diff.out;
    // A name typed for a member the package lacks prints as list would print it.
    const CommandResult missing =
        RunCli(Args("extract", package, "no\\x81.k", "-d", dir.File("o")));
    EXPECT_NE(missing.err.find("no member named \"no\\\\x81.k\""), std::string::npos)
        << missing.err;
}

}  // namespace
}  // namespace lumigram::test
