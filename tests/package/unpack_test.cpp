#include "package/ezx_unpack.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "package/ezx_pack.h"
#include "platform/fault_injection.h"
#include "platform/io_error.h"
#include "platform/path.h"
#include "support/packages.h"
#include "support/pictures.h"

namespace lumigram::test {
namespace {

class UnpackTest : public ::testing::Test {
  protected:
    UnpackTest() { std::filesystem::create_directory(Out()); }
    std::string Out() const { return dir_.File("out"); }
    std::string Pkg() const { return dir_.File("in.ezx"); }

    // Unpacks package bytes into Out(), collecting the problems reported.
    UnpackResult Unpack(const Bytes& package) {
        WriteAll(Pkg(), package);
        problems_.clear();
        UnpackOptions options;
        options.onMemberNotWritten = [this](const MemberProblem& p) { problems_.push_back(p); };
        return UnpackEZX(Pkg(), Out(), options);
    }
    // The FormatError message for a package that must be refused before writing.
    std::string Refusal(const Bytes& package) {
        try {
            Unpack(package);
        } catch (const FormatError& error) {
            EXPECT_EQ(error.path(), Pkg());
            EXPECT_TRUE(ListFolder(Out()).empty()) << "files written from a refused package";
            return error.what();
        }
        ADD_FAILURE() << "package not refused";
        return {};
    }

    TempDir dir_;
    std::vector<MemberProblem> problems_;
};

TEST_F(UnpackTest, WorkedExampleAndReplacement) {
    WriteAll(Out() + "/icon.k", CountingBytes(50));  // replaced without a question
    EXPECT_EQ(Unpack(ExamplePackage()).written, 2u);
    EXPECT_EQ(ListFolder(Out()), (std::vector<std::string>{"icon.k", "wall.g"}));
    EXPECT_EQ(ReadAll(Out() + "/icon.k"), (Bytes{1, 2, 3, 4, 5}));
    EXPECT_EQ(ReadAll(Out() + "/wall.g"), (Bytes{0xAA, 0xBB, 0xCC}));
    EXPECT_EQ(Unpack(ExamplePackage()).written, 2u);  // a second run gives the same files
    EXPECT_EQ(ReadAll(Out() + "/icon.k"), (Bytes{1, 2, 3, 4, 5}));
}

TEST_F(UnpackTest, ContentsNamesAndSizesComeBackWhole) {
    const std::vector<Member> members = {
        {"empty.k", {}},
        {"chunk.g", CountingBytes(8192)},
        {"chunk-and-one.a", CountingBytes(8193, 3)},
        {"two-chunks.k", CountingBytes(16384, 7)},
        {"below-kernel-copy.k", CountingBytes(65535, 8)},
        {"kernel-copy.g", CountingBytes(200001, 9)},
        {std::string(97, 'n') + ".k", {1}},   // 99 bytes
        {std::string(253, 'L') + ".g", {2}},  // 255 bytes: longer than a 100-byte window
        {"Any.Extension.txt", {3}},
        {"a.k", {4}},
        {"b.g", {5}},  // same ID as a.k
        {"caf\xE9.k", {6}},
    };
    EXPECT_EQ(Unpack(BuildPackage(members)).written, members.size());
    EXPECT_TRUE(problems_.empty());
    for (const Member& m : members) {
        const std::string onDisk = m.name == "caf\xE9.k" ? "caf\xC3\xA9.k" : m.name;
        EXPECT_EQ(ReadAll(Out() + "/" + onDisk), m.content) << m.name.substr(0, 20);
    }
}

TEST_F(UnpackTest, UpperCaseDigitsAndEmptyNames) {
    Bytes upper = BuildPackage({{"icon.k", {1}}, {"abcdefghijklmnopqrstuvwxyz0.g", {2}}});
    ASSERT_EQ(std::string(upper.begin() + 16, upper.begin() + 24), "0000005c");
    upper[23] = 'C';  // "0000005C"
    Unpack(upper);
    EXPECT_EQ(ListFolder(Out()),
              (std::vector<std::string>{"abcdefghijklmnopqrstuvwxyz0.g", "icon.k"}));

    // An entry whose name is empty creates nothing; the next is unpacked.
    std::filesystem::remove_all(Out());
    std::filesystem::create_directory(Out());
    EXPECT_EQ(Unpack(BuildPackage({{"", {9}}, {"next.k", {1}}})).written, 1u);
    EXPECT_EQ(ListFolder(Out()), std::vector<std::string>{"next.k"});
    EXPECT_TRUE(problems_.empty());
}

TEST_F(UnpackTest, PackThenUnpackRestoresTheFolder) {
    const std::string src = dir_.File("src");
    std::filesystem::create_directory(src);
    for (int i = 0; i < 40; ++i) {
        WriteAll(src + "/m" + std::to_string(i) +
                     (i % 3 == 0   ? ".k"
                      : i % 3 == 1 ? ".G"
                                   : ".a"),
                 CountingBytes(static_cast<std::size_t>(i) * 977, static_cast<std::uint8_t>(i)));
    }
    PackEZX(src, Pkg());
    EXPECT_EQ(UnpackEZX(Pkg(), Out()).written, 40u);
    for (const std::string& name : ListFolder(src)) {
        EXPECT_EQ(ReadAll(Out() + "/" + name), ReadAll(src + "/" + name)) << name;
    }
}

TEST_F(UnpackTest, DamagedPackagesAreRefusedWithTheReason) {
    const Bytes good = ExamplePackage();
    const auto with = [&](std::size_t at, std::uint32_t value) {
        Bytes b = good;
        PutLe32(b, at, value);
        return b;
    };
    const auto digits = [&](const char* text) {
        Bytes b = good;
        std::copy(text, text + 8, b.begin() + 16);
        return b;
    };
    const std::pair<Bytes, std::string> cases[] = {
        {Bytes(good.begin(), good.begin() + 20),
         "the file is 20 bytes, too short to hold the index offset"},
        {digits("0000004g"), "the index offset \"0000004g\" is not eight hexadecimal digits"},
        {digits("+0000048"), "the index offset \"+0000048\" is not eight hexadecimal digits"},
        {digits("00000080"), "the index block at offset 128 runs past the end of the package"},
        {digits("ffffffff"),
         "the index block at offset 4294967295 runs past the end of the package"},
        {with(80, 65537), "member count 65537 is outside 0 to 65536"},
        {with(80, 0xFFFFFFFF), "member count -1 is outside 0 to 65536"},
        {with(80, 5), "the member table runs past the end of the package"},
        {with(76, 0x80000000), "negative name list offset -2147483648"},
        {with(84, 0xFFFFFFF0), "negative member table offset -16"},
        {with(88, 0xFFFFFFFF), "negative data area offset -1"},
        {with(96, 0xFFFFFFFF), "member 1: negative name offset -1"},
        {with(108, 200), "member 2: name starts past the end of the package"},
        {with(108, 80), "member 2: name runs past the end of the package"},
        {with(100, 0xFFFFFFF8), "member 1: negative record offset -8"},
        {with(112, 20), "member 2: record runs past the end of the package"},
        {with(120, 0xFFFFFFFF), "member 1: negative size -1"},
        {with(120, 17), "member 1: content runs past the end of the package"},
        {with(133, 4), "member 2: content runs past the end of the package"},
        // Records that coincide or share a byte would unpack the same bytes twice.
        {with(112, 0), "member 2: its record (bytes 116 to 128) overlaps the record of member 1"},
        {with(120, 6), "member 2: its record (bytes 129 to 139) overlaps the record of member 1"},
    };
    for (const auto& [package, reason] : cases) {
        EXPECT_EQ(Refusal(package), "damaged package: " + reason);
    }
    // A name without its 0x0A within 256 bytes.
    Bytes longName = BuildPackage({{std::string(300, 'x'), {1}}});
    EXPECT_EQ(Refusal(longName), "damaged package: member 1: name is longer than 255 bytes");
}

TEST_F(UnpackTest, EveryTruncationIsRefusedWithNothingWritten) {
    const Bytes good =
        BuildPackage({{"icon.k", {1, 2, 3, 4, 5}}, {"wall.g", {0xAA, 0xBB, 0xCC}}, {"zero.a", {}}});
    for (std::size_t size = 0; size < good.size(); ++size) {
        const std::string message =
            Refusal(Bytes(good.begin(), good.begin() + static_cast<long>(size)));
        EXPECT_EQ(message.rfind("damaged package: ", 0), 0u) << size;
    }
}

TEST_F(UnpackTest, HostileNamesAreReportedAndTheRestUnpacked) {
    const std::vector<std::string> hostile = {
        ".",
        "..",
        "../x",
        "../../x",
        "a/../../x",
        "/etc/x",
        "/x",
        "sub/x.k",
        "x/",
        "./x",
        "..\\x",
        "a\\b",
        "\\x",
        std::string("a\0b", 3),
        std::string("\0", 1),
        "x/..",
        "../",
        "a/b/c",
        "//",
        "/",
        "./",
        "./.",
        ".../x/..",
        "x\\..\\..\\y",
        "\\\\server\\share",
        "../.hidden",
        "a/./b",
        "../" + std::string(250, 'd'),
        "..//x",
        "dir/\n",
    };
    std::vector<Member> members = {{"first.k", {1}}};
    for (const std::string& name : hostile) {
        members.push_back({name, {0xEE}});
    }
    members.push_back({"last.g", {2}});
    const std::string parent = dir_.path();
    WriteAll(parent + "/x", {7});  // a sentinel beside the target folder
    const UnpackResult result = Unpack(BuildPackage(members));
    EXPECT_EQ(result.written, 2u);
    EXPECT_EQ(result.notWritten, members.size() - 2);
    EXPECT_EQ(ListFolder(Out()), (std::vector<std::string>{"first.k", "last.g"}));
    EXPECT_EQ(ListFolder(parent), (std::vector<std::string>{"in.ezx", "out", "x"}));
    EXPECT_EQ(ReadAll(parent + "/x"), Bytes{7});
    ASSERT_EQ(problems_.size(), members.size() - 2);
    EXPECT_EQ(problems_[0].number, 2u);
    EXPECT_EQ(problems_[0].memberPath, JoinPath(Out(), "."));
    EXPECT_EQ(problems_[2].message,
              "member 4: unsafe name \"../x\" not written: it holds a path separator and would "
              "leave the folder");
    EXPECT_EQ(problems_[13].message,
              "member 15: unsafe name \"a\\x00b\" not written: it holds a NUL byte");
}

TEST_F(UnpackTest, ALinkAtAMemberPathIsReplacedNotFollowed) {
#ifdef _WIN32
    GTEST_SKIP() << "POSIX only: symbolic links need a privilege on Windows";
#else
    const std::string outside = dir_.File("outside.k");
    WriteAll(outside, {7, 7});
    ASSERT_EQ(::symlink(outside.c_str(), (Out() + "/icon.k").c_str()), 0);
    Unpack(ExamplePackage());
    EXPECT_EQ(ReadAll(outside), (Bytes{7, 7}));
    struct ::stat st {};
    ASSERT_EQ(::lstat((Out() + "/icon.k").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(ReadAll(Out() + "/icon.k"), (Bytes{1, 2, 3, 4, 5}));
#endif
}

// Another process swaps the target folder for a link while members are being
// written: the folder was opened once, so nothing lands at the link's target.
TEST_F(UnpackTest, AFolderSwappedForALinkMidRunRedirectsNothing) {
#ifdef _WIN32
    GTEST_SKIP() << "POSIX only: Windows holds the output folder open, so it cannot be swapped";
#else
    const std::string outside = dir_.File("outside");
    std::filesystem::create_directory(outside);
    int creates = 0;
    ScopedIoFault swap([&](IoOp op) {
        if (op == IoOp::kCreate && ++creates == 2) {
            std::filesystem::rename(Out(), dir_.File("moved"));
            std::filesystem::create_directory_symlink(outside, Out());
        }
        return 0;
    });
    EXPECT_EQ(Unpack(ExamplePackage()).written, 2u);
    EXPECT_TRUE(ListFolder(outside).empty());
    EXPECT_EQ(ListFolder(dir_.File("moved")), (std::vector<std::string>{"icon.k", "wall.g"}));
#endif
}

TEST_F(UnpackTest, AMemberThatCannotBeCreatedIsReportedAndSkipped) {
    std::filesystem::create_directory(Out() + "/icon.k");  // a folder in the way
    const UnpackResult result = Unpack(ExamplePackage());
    EXPECT_EQ(result.written, 1u);
    ASSERT_EQ(problems_.size(), 1u);
    EXPECT_EQ(problems_[0].memberPath, JoinPath(Out(), "icon.k"));
    EXPECT_EQ(problems_[0].message, "member 1: cannot create \"icon.k\": is a folder");
    EXPECT_EQ(ReadAll(Out() + "/wall.g"), (Bytes{0xAA, 0xBB, 0xCC}));
}

TEST_F(UnpackTest, ADiskThatFillsUpEndsTheUnpackingWithDiskFull) {
    const std::string small = dir_.File("small");
    SmallDisk disk(small, "64k");
    if (!disk.mounted()) {
        GTEST_SKIP() << disk.whyNot();
    }
    WriteAll(
        Pkg(),
        BuildPackage({{"a.k", CountingBytes(40000)}, {"b.k", CountingBytes(40000)}, {"c.k", {1}}}));
    try {
        UnpackEZX(Pkg(), small);
        ADD_FAILURE() << "unpacking into a full disk succeeded";
    } catch (const IoError& error) {
        EXPECT_STREQ(error.what(), "Disk full");
        EXPECT_EQ(error.path(), small + "/b.k");
    }
    EXPECT_EQ(ReadAll(small + "/a.k"), CountingBytes(40000));  // complete members stay
}

TEST_F(UnpackTest, ReadOnlyPackageUnpacksAndMissingOneIsNotFound) {
    WriteAll(Pkg(), ExamplePackage());
    ::chmod(Pkg().c_str(), 0444);
    ::chmod(dir_.path().c_str(), 0777);
    ::chmod(Out().c_str(), 0777);
    EXPECT_TRUE(RunWithoutPrivileges([&] {
        try {
            return UnpackEZX(Pkg(), Out()).written == 2;
        } catch (const Error&) {
            return false;
        }
    }));
    try {
        UnpackEZX(dir_.File("missing.ezx"), Out());
        FAIL() << "no error";
    } catch (const IoError& error) {
        EXPECT_STREQ(error.what(), "File not found");
    }
}

}  // namespace
}  // namespace lumigram::test
