#include "platform/byte_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/fault_injection.h"
#include "platform/io_error.h"
#include "support/test_files.h"

namespace lumigram {
namespace {

using test::Bytes;
using test::TempDir;

// Runs f and returns the IoError it raised (failing the test when none was).
template <typename F>
IoError CaptureIoError(F&& f) {
    try {
        f();
    } catch (const IoError& error) {
        return error;
    }
    ADD_FAILURE() << "no IoError raised";
    return IoError(IoCode{}, "");
}

TEST(ByteFile, MissingFileIsNotFoundAndNamesThePath) {
    TempDir dir;
    const std::string path = dir.File("missing.k");
    const IoError error = CaptureIoError([&] { ByteFile::OpenRead(path); });
    EXPECT_EQ(error.code(), IoCode::kFileNotFound);
    EXPECT_STREQ(error.what(), "File not found");
    EXPECT_EQ(error.path(), path);

    const IoError inMissingFolder =
        CaptureIoError([&] { ByteFile::Create(dir.File("no-such-folder/x.bmp")); });
    EXPECT_EQ(inMissingFolder.code(), IoCode::kFileNotFound);
}

TEST(ByteFile, FolderIsNoFile) {
    TempDir dir;
    EXPECT_EQ(CaptureIoError([&] { ByteFile::OpenRead(dir.path()); }).code(),
              IoCode::kFileAccessDenied);
    EXPECT_EQ(CaptureIoError([&] { ByteFile::Create(dir.path()); }).code(),
              IoCode::kFileAccessDenied);
}

TEST(ByteFile, ShortReadAtTheEndIsACountNotAnError) {
    TempDir dir;
    test::WriteAll(dir.File("f"), test::CountingBytes(10));
    ByteFile file = ByteFile::OpenRead(dir.File("f"));
    Bytes buffer(8);
    file.Seek(6);
    EXPECT_EQ(file.Read(buffer), 4u);
    EXPECT_EQ(buffer[0], 6);
    file.Seek(100);
    EXPECT_EQ(file.Read(buffer), 0u);
    EXPECT_EQ(file.Size(), 10u);
}

TEST(ByteFile, CreateReplacesAndUpdateKeepsContent) {
    TempDir dir;
    const std::string path = dir.File("f");
    test::WriteAll(path, test::CountingBytes(100));
    {
        ByteFile file = ByteFile::Create(path);
        const Bytes three{1, 2, 3};
        file.Write(three);
        file.Close();
    }
    EXPECT_EQ(test::ReadAll(path), (Bytes{1, 2, 3}));
    {
        ByteFile file = ByteFile::OpenUpdate(path);
        file.Seek(1);
        const Bytes nine{9};
        file.Write(nine);
        file.Close();
    }
    EXPECT_EQ(test::ReadAll(path), (Bytes{1, 9, 3}));
    EXPECT_EQ(CaptureIoError([&] { ByteFile::CreateExclusive(path); }).path(), path);
}

TEST(ByteFile, ReadOnlyFileOpensForReading) {
    TempDir dir;
    const std::string path = dir.File("ro.k");
    test::WriteAll(path, test::CountingBytes(3));
    ::chmod(path.c_str(), 0444);
    ::chmod(dir.path().c_str(), 0755);
    EXPECT_TRUE(test::RunWithoutPrivileges([&] {
        try {
            ByteFile file = ByteFile::OpenRead(path);
            Bytes buffer(3);
            return file.Read(buffer) == 3;
        } catch (const Error&) {
            return false;
        }
    }));
#ifdef _WIN32
    // Wine keeps the read-only attribute as permission bits, which root (the CI
    // user) is not held to; Windows itself refuses the write.
    return;
#endif
    // ... while opening it for writing is what the runtime refuses.
    EXPECT_TRUE(test::RunWithoutPrivileges([&] {
        try {
            ByteFile::OpenUpdate(path);
            return false;
        } catch (const IoError& error) {
            return error.code() == IoCode::kFileAccessDenied;
        }
    }));
}

TEST(ByteFile, InjectedFaultsSurfaceAsTheirRuntimeText) {
    TempDir dir;
    ByteFile file = ByteFile::Create(dir.File("f"));
    int writes = 0;
    ScopedIoFault fault([&](IoOp op) { return op == IoOp::kWrite && ++writes == 2 ? ENOSPC : 0; });
    const Bytes one{1};
    file.Write(one);
    const IoError error = CaptureIoError([&] { file.Write(one); });
    EXPECT_STREQ(error.what(), "Disk full");
    EXPECT_EQ(error.path(), dir.File("f"));
}

TEST(ByteFile, OperationsOnAClosedFileReportFileNotOpen) {
    TempDir dir;
    ByteFile file = ByteFile::Create(dir.File("f"));
    file.Close();
    const Bytes one{1};
    EXPECT_EQ(CaptureIoError([&] { file.Write(one); }).code(), IoCode::kFileNotOpen);
    EXPECT_STREQ(CaptureIoError([&] { file.Close(); }).what(), "I/O error 103");
}

}  // namespace
}  // namespace lumigram
