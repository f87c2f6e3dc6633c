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
        EXPECT_EQ(IoErrorText(code), text) << code;
    }
}

TEST(IoErrorText, ErrnoValuesMapToRuntimeCodes) {
    const std::pair<int, int> cases[] = {
        {ENOENT, 2},   {ENOTDIR, 2},  {EACCES, 5}, {EPERM, 5},        {EROFS, 5},
        {EISDIR, 5},   {EMFILE, 4},   {ENFILE, 4}, {ENAMETOOLONG, 3}, {EINVAL, 3},
        {ENOSPC, 101}, {EDQUOT, 101}, {EIO, EIO},
    };
    for (const auto& [err, code] : cases) {
        EXPECT_EQ(IoCodeFromErrno(err), code) << err;
    }
}

TEST(IoErrorText, ErrorCarriesCodeTextAndPath) {
    try {
        ThrowIoErrorFromErrno(ENOSPC, "/out/pkg.ezx");
        FAIL() << "no error raised";
    } catch (const IoError& error) {
        EXPECT_EQ(error.code(), 101);
        EXPECT_STREQ(error.what(), "Disk full");
        EXPECT_EQ(error.path(), "/out/pkg.ezx");
    }
}

}  // namespace
}  // namespace lumigram
