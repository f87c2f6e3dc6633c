// Windows only: what stops a replacement there, and the names Windows cannot
// hold. A refused output leaves the earlier file as it was and no temporary.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

#include "package/member_names.h"
#include "platform/io_error.h"
#include "platform/output_file.h"
#include "platform/wide_text.h"
#include "support/test_files.h"

namespace lumigram {
namespace {

using test::Bytes;

// Something in the way of a replacement: made before the write over target,
// undone after it.
struct Obstacle {
    const char* what;
    std::function<void(const std::string& target)> hold;
    std::function<void(const std::string& target)> release;
};

TEST(WindowsOutput, AReadOnlyOrHeldTargetIsRefusedAndLeftWhole) {
    HANDLE held = INVALID_HANDLE_VALUE;
    const Obstacle obstacles[] = {
        {"read-only attribute",
         [](const std::string& t) {
             ::SetFileAttributesW(Widen(t).c_str(), FILE_ATTRIBUTE_READONLY);
         },
         [](const std::string& t) {
             ::SetFileAttributesW(Widen(t).c_str(), FILE_ATTRIBUTE_NORMAL);
         }},
        // As another program holds it: reading, sharing reads only.
        {"held open without delete sharing",
         [&](const std::string& t) {
             held = ::CreateFileW(Widen(t).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
         },
         [&](const std::string&) { ::CloseHandle(held); }},
    };
    for (const Obstacle& obstacle : obstacles) {
        test::TempDir dir;
        const std::string target = dir.File("out.k");
        test::WriteAll(target, {1, 2});
        obstacle.hold(target);
        try {
            WriteWholeOutput(target, Bytes{9, 9, 9}, false);
            ADD_FAILURE() << obstacle.what << ": replaced";
        } catch (const IoError& error) {
            EXPECT_EQ(error.code(), IoCode::kFileAccessDenied)
                << obstacle.what << ": " << error.what();
            EXPECT_EQ(error.path(), target) << obstacle.what;
        }
        obstacle.release(target);
        EXPECT_EQ(test::ReadAll(target), (Bytes{1, 2})) << obstacle.what;
        EXPECT_EQ(test::ListFolder(dir.path()), std::vector<std::string>{"out.k"}) << obstacle.what;
    }
}

// An edit in place the user forced (--force, or the window's Yes) replaces a
// read-only package, and the new one is read-only as the old one was.
TEST(WindowsOutput, AForcedEditInPlaceReplacesAReadOnlyFileAndKeepsItReadOnly) {
    test::TempDir dir;
    const std::string target = dir.File("p.ezx");
    test::WriteAll(target, {1, 2});
    ::SetFileAttributesW(Widen(target).c_str(), FILE_ATTRIBUTE_READONLY);
    OutputRules rules;
    rules.inPlace = InPlaceEdit{target, std::nullopt, kEditLockWait, true};
    WriteWholeOutput(target, Bytes{9, 9, 9}, false, rules);
    EXPECT_EQ(test::ReadAll(target), (Bytes{9, 9, 9}));
    const DWORD attributes = ::GetFileAttributesW(Widen(target).c_str());
    EXPECT_NE(attributes & FILE_ATTRIBUTE_READONLY, 0u);
    ::SetFileAttributesW(Widen(target).c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(test::ListFolder(dir.path()), std::vector<std::string>{"p.ezx"});
}

TEST(WindowsMemberNames, DevicesColonsAndTrailingDotsOrSpacesAreRefused) {
    const struct {
        const char* name;
        bool refused;
    } rows[] = {
        {"CON", true},     {"con.k", true},   {"Nul.txt", true},    {"aux .g", true},
        {"COM1", true},    {"lpt9.a", true},  {"PRN.K", true},      {"a.k.", true},
        {"a.k ", true},    {"x:y.k", true},   {"CONSOLE.k", false}, {"COM10.k", false},
        {"COM0.k", false}, {"icon.k", false}, {"a.b.k", false},     {"nul_.k", false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(!UnsafeMemberNameReason(row.name).empty(), row.refused) << row.name;
    }
}

}  // namespace
}  // namespace lumigram
