// More than a hundred hostile member names, each unpacked (between two ordinary
// members) into a folder surrounded by sentinel files: nothing outside the
// target may change, and every refusal names the member and shows the name
// escaped.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "package/ezx_unpack.h"
#include "package/member_names.h"
#include "platform/io_error.h"
#include "support/packages.h"

namespace lumigram::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> HostileNames() {
    std::vector<std::string> names = {
        "",
        ".",
        "..",
        "../x",
        "a/../../x",
        "/etc/x",
        "..\\x",
        "a\\b",
        "C:\\x",
        "C:x",
        "x:",
        std::string("a\0b", 3),
        std::string("\0", 1),
        std::string("x.k\0../../y", 11),
        std::string(255, 'L'),
        std::string(253, 'L') + ".k",
        std::string(256, 'L'),
        "link.k",
        "Case.k",
        "case.k",
        "CASE.K",
        "sentinel",
        "../sentinel",
        "\x7F",
        " ",
        "  .k",
        ".hidden.k",
        "...",
        "....",
        "\x80.k",
        "\xFF.g",
        "caf\xE9.k",
        "a/",
        "a//b",
        "a/./b",
        std::string(120, '/'),
        "..." + std::string("/..", 3),
        "~/../x",
        "/dev/null",
        "/tmp/x",
        // Windows takes these for devices, or drops their last dots and spaces.
        "CON",
        "con.k",
        "Nul.txt",
        "aux .g",
        "COM1",
        "lpt9.a",
        "PRN.K",
        "a.k.",
        "a.k ",
        "a.k. .",
        "x:stream.k",
    };
    for (int c = 1; c < 0x20; ++c) {
        if (c != 0x0A) {  // 0x0A ends a name: it cannot be inside one
            names.push_back("ctl" + std::string(1, static_cast<char>(c)) + ".k");
        }
    }
    for (const char* prefix : {"../", "..\\", "/", "\\", "./../", "a/", "../../../"}) {
        for (const char* stem : {"x", "x.k", ".hidden", "sentinel", "out"}) {
            names.push_back(std::string(prefix) + stem);
        }
    }
    return names;
}

// Every file and link below root except inside skip: path -> content or target.
std::map<std::string, std::string> Snapshot(const std::string& root, const std::string& skip) {
    std::map<std::string, std::string> files;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        const std::string path = it->path().string();
        if (it->path() == fs::path(skip)) {
            it.disable_recursion_pending();
            continue;
        }
        if (it->is_symlink()) {
            files[path] = "link:" + fs::read_symlink(it->path()).string();
        } else if (it->is_regular_file()) {
            const Bytes bytes = ReadAll(path);
            files[path] = std::string(bytes.begin(), bytes.end());
        } else {
            files[path] = "folder";
        }
    }
    return files;
}

TEST(HostileNames, NothingOutsideTheTargetChanges) {
    const std::vector<std::string> names = HostileNames();
    ASSERT_GE(names.size(), 100u);
    int refused = 0;
    int damaged = 0;
    int written = 0;
    for (const std::string& name : names) {
        TempDir dir;
        const std::string parent = dir.File("parent");
        const std::string target = parent + "/target";
        fs::create_directories(target);
        for (const char* sentinel : {"sentinel", "x", "x.k", "out"}) {
            WriteAll(parent + "/" + sentinel, {7});
        }
        WriteAll(dir.File("x"), {8});
        WriteAll(dir.File("outside.k"), {9});
#ifndef _WIN32  // symbolic links need a privilege on Windows
        // An existing link at a member's path must be replaced, never followed.
        ASSERT_EQ(::symlink(dir.File("outside.k").c_str(), (target + "/link.k").c_str()), 0);
#endif
        WriteAll(dir.File("skin.ezx"),
                 BuildPackage({{"first.k", {1}}, {name, {2, 2}}, {"last.g", {3}}}));
        const auto before = Snapshot(dir.path(), target);

        std::vector<MemberProblem> problems;
        UnpackOptions options;
        options.onMemberNotWritten = [&](const MemberProblem& p) { problems.push_back(p); };
        try {
            const UnpackResult result = UnpackEZX(dir.File("skin.ezx"), target, options);
            EXPECT_EQ(ReadAll(target + "/first.k"), Bytes{1}) << EscapeName(name);
            EXPECT_EQ(ReadAll(target + "/last.g"), Bytes{3}) << EscapeName(name);
            written += static_cast<int>(result.written) - 2;
        } catch (const FormatError&) {
            ++damaged;  // a name without its end within 256 bytes refuses the package
#ifndef _WIN32
            EXPECT_EQ(ListFolder(target), std::vector<std::string>{"link.k"});
#endif
        }
        EXPECT_EQ(Snapshot(dir.path(), target), before) << "name " << EscapeName(name);
        for (const MemberProblem& problem : problems) {
            ++refused;
            EXPECT_EQ(problem.number, 2u);
            EXPECT_EQ(problem.message.rfind("member 2: ", 0), 0u) << problem.message;
            for (const char c : problem.message) {
                EXPECT_TRUE(c >= 0x20 && c < 0x7F) << "unescaped byte in: " << problem.message;
            }
        }
        EXPECT_EQ(ReadAll(dir.File("outside.k")), Bytes{9});
    }
    std::cout << names.size() << " hostile names: " << refused << " refused, " << damaged
              << " packages refused whole, " << written << " written inside the target\n";
}

}  // namespace
}  // namespace lumigram::test
