#include "platform/io_error.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace lumigram {
namespace {

TEST(IoErrorText, RuntimeTextsAndNumberedFallback) {
    const std::pair<int, const char*> cases[] = {
        {2, "File not found"},
        {3, "Invalid filename"},
        {4, "Too many open files"},
        {5, "File access denied"},
        {100, "Read beyond end of file"},
        {101, "Disk full"},
        {106, "Invalid numeric input"},
        {103, "I/O error 103"},
        {32, "I/O error 32"},
    };
    for (const auto& [code, text] : cases) {
        EXPECT_EQ(IoErrorText(static_cast<IoCode>(code)), text) << code;
    }
}

// What a user reads for a failing system call: the runtime texts only for the
// errno values they stand for, every other errno by number and meaning, never
// under a runtime text whose code happens to equal it.
TEST(IoErrorText, UserSeesTheTextOfTheRealCause) {
    const std::pair<int, const char*> cases[] = {
        {ENOENT, "File not found"},
        {EACCES, "File access denied"},
        {ENAMETOOLONG, "Invalid filename"},
        {EMFILE, "Too many open files"},
        {ENOSPC, "Disk full"},
#ifdef EDQUOT
        {EDQUOT, "Disk full"},
#endif
        {EIO, "I/O error 5 (Input/output error)"},
        {EINTR, "I/O error 4 (Interrupted system call)"},
#ifndef _WIN32  // the C runtime numbers it 118 and has no text for it
        {ENETUNREACH, "I/O error 101 (Network is unreachable)"},
#endif
    };
    for (const auto& [err, text] : cases) {
        try {
            ThrowIoErrorFromErrno(err, "f");
            FAIL() << "no error raised";
        } catch (const IoError& error) {
            EXPECT_STREQ(error.what(), text) << err;
        }
    }
}

TEST(IoErrorText, ErrorCarriesCodeTextAndPath) {
    try {
        ThrowIoErrorFromErrno(ENOSPC, "/out/pkg.ezx");
        FAIL() << "no error raised";
    } catch (const IoError& error) {
        EXPECT_EQ(error.code(), IoCode::kDiskFull);
        EXPECT_STREQ(error.what(), "Disk full");
        EXPECT_EQ(error.path(), "/out/pkg.ezx");
    }
}

}  // namespace
}  // namespace lumigram
