// CopyRange inside the kernel and through its buffer: what arrives where, a
// source that ends early, streams, and failures named after the right file.
#include "platform/copy_range.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <array>
#include <cerrno>

#include "platform/byte_file.h"
#include "platform/fault_injection.h"
#include "platform/io_error.h"
#include "support/test_files.h"

namespace lumigram::test {
namespace {

TEST(CopyRangeTest, BytesArriveAtTheirOffsets) {
    struct Case {
        const char* what;
        std::size_t sourceSize;
        std::uint64_t fromOffset, toOffset, count, expectCopied;
    };
    const Case cases[] = {
        {"large, mid-file", 300000, 7, 5, 200001, 200001},
        {"source ends first", 1000, 900, 0, 500, 100},
        {"from the very end", 1000, 1000, 3, 10, 0},
    };
    TempDir dir;
    std::array<std::uint8_t, 4096> buffer{};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Bytes source = CountingBytes(c.sourceSize, 1);
        WriteAll(dir.File("from"), source);
        WriteAll(dir.File("to"), Bytes(c.toOffset, 0xEE));
        ByteFile from = ByteFile::OpenRead(dir.File("from"));
        ByteFile to = ByteFile::OpenUpdate(dir.File("to"));
        EXPECT_EQ(CopyRange(from, c.fromOffset, to, c.toOffset, c.count, buffer), c.expectCopied);
        to.Close();
        Bytes expected(c.toOffset, 0xEE);
        expected.insert(expected.end(), source.begin() + static_cast<long>(c.fromOffset),
                        source.begin() + static_cast<long>(c.fromOffset + c.expectCopied));
        EXPECT_EQ(ReadAll(dir.File("to")), expected);
    }
}

TEST(CopyRangeTest, AStreamIsWrittenInOrderThroughTheBuffer) {
#ifdef _WIN32
    GTEST_SKIP() << "a POSIX pipe stands for the stream here";
#else
    TempDir dir;
    WriteAll(dir.File("from"), CountingBytes(10000));
    std::array<int, 2> pipeEnds{};
    ASSERT_EQ(::pipe(pipeEnds.data()), 0);
    ByteFile from = ByteFile::OpenRead(dir.File("from"));
    ByteFile to = ByteFile::AdoptStream(pipeEnds[1], "pipe");
    std::array<std::uint8_t, 1000> buffer{};
    EXPECT_EQ(CopyRange(from, 0, to, 0, 10000, buffer), 10000u);
    to.Close();
    Bytes arrived(20000);
    std::size_t got = 0;
    while (const ssize_t n = ::read(pipeEnds[0], arrived.data() + got, arrived.size() - got)) {
        ASSERT_GT(n, 0);
        got += static_cast<std::size_t>(n);
    }
    ::close(pipeEnds[0]);
    arrived.resize(got);
    EXPECT_EQ(arrived, CountingBytes(10000));
#endif
}

TEST(CopyRangeTest, FailuresNameTheirFile) {
    struct Case {
        IoOp failing;
        int err;
        const char* expectedFile;
    };
    const Case cases[] = {{IoOp::kRead, EIO, "from"}, {IoOp::kWrite, ENOSPC, "to"}};
    TempDir dir;
    WriteAll(dir.File("from"), CountingBytes(100000));
    std::array<std::uint8_t, 4096> buffer{};
    for (const Case& c : cases) {
        ByteFile from = ByteFile::OpenRead(dir.File("from"));
        ByteFile to = ByteFile::Create(dir.File("to"));
        const ScopedIoFault fault([&](IoOp op) { return op == c.failing ? c.err : 0; });
        try {
            CopyRange(from, 0, to, 0, 100000, buffer);
            ADD_FAILURE() << "the copy succeeded";
        } catch (const IoError& error) {
            EXPECT_EQ(error.path(), dir.File(c.expectedFile));
        }
    }
}

TEST(CopyRangeTest, AFullDiskIsDiskFullOfTheDestination) {
    TempDir dir;
    const std::string small = dir.File("small");
    SmallDisk disk(small, "64k");
    if (!disk.mounted()) {
        GTEST_SKIP() << disk.whyNot();
    }
    WriteAll(dir.File("from"), CountingBytes(300000));
    ByteFile from = ByteFile::OpenRead(dir.File("from"));
    ByteFile to = ByteFile::Create(small + "/to");
    std::array<std::uint8_t, 4096> buffer{};
    try {
        CopyRange(from, 0, to, 0, 300000, buffer);
        ADD_FAILURE() << "copying onto a full disk succeeded";
    } catch (const IoError& error) {
        EXPECT_STREQ(error.what(), "Disk full");
        EXPECT_EQ(error.path(), small + "/to");
    }
}

}  // namespace
}  // namespace lumigram::test
