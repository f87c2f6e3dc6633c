#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/byte_sink.h"
#include "platform/byte_source.h"

namespace lumigram {
namespace {

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<std::uint8_t> bytes;
    for (int v : values) {
        bytes.push_back(static_cast<std::uint8_t>(v));
    }
    return bytes;
}

TEST(ByteSourceTest, RangesNeverReachOutsideTheirBytes) {
    const auto whole = Bytes({1, 2, 3, 4, 5, 6});
    MemorySource memory(whole, "whole.ezx");
    SubSource member(memory, 2, 3);
    struct Row {
        const char* what;
        std::uint64_t offset;
        std::size_t want;
        std::vector<std::uint8_t> got;
    } rows[] = {
        {"all of it", 0, 3, Bytes({3, 4, 5})},
        {"more than it holds stops at its end", 1, 10, Bytes({4, 5})},
        {"at its end", 3, 2, {}},
        {"far past its end", 1u << 31, 2, {}},
    };
    for (const Row& row : rows) {
        std::vector<std::uint8_t> buffer(row.want, 0xEE);
        buffer.resize(member.ReadAt(row.offset, buffer));
        EXPECT_EQ(buffer, row.got) << row.what;
    }
    EXPECT_EQ(member.name(), "whole.ezx");
    EXPECT_EQ(std::vector<std::uint8_t>(member.InMemory().begin(), member.InMemory().end()),
              Bytes({3, 4, 5}));
    EXPECT_EQ(ReadWhole(member), Bytes({3, 4, 5}));
    // A range that claims more than its parent holds is not in memory whole.
    SubSource tooLong(memory, 4, 5, "member");
    EXPECT_TRUE(tooLong.InMemory().empty());
    EXPECT_EQ(ReadWhole(tooLong), Bytes({5, 6}));
    EXPECT_EQ(tooLong.name(), "member");
}

TEST(ByteSinkTest, MemoryReadsBackAsAFileWould) {
    MemorySink sink;
    sink.Write(Bytes({1, 2}));
    sink.WriteAt(5, Bytes({9}));  // past the end: the gap reads as zeros
    sink.Write(Bytes({3}));       // in order again, after the first write
    sink.WriteAt(0, Bytes({7}));
    EXPECT_EQ(sink.bytes(), Bytes({7, 2, 3, 0, 0, 9}));
}

}  // namespace
}  // namespace lumigram
