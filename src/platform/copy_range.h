#pragma once

#include <cstdint>
#include <span>

namespace lumigram {

class ByteFile;

// Contents at least this long go through CopyRange; shorter ones cost less
// gathered with their neighbours into one large write.
inline constexpr std::uint64_t kKernelCopyMinimum = 64 * 1024;

// Copies up to count bytes from `from` at fromOffset to `to` at toOffset,
// inside the kernel where it can (copy_file_range: no trip through this
// process, and a shared extent on file systems that can share one), and
// through `buffer` with reads and writes where the kernel refuses (across file
// systems, older kernels, special files) and whenever `to` is a stream.
// Returns the bytes copied: fewer than count only when `from` ends first.
// Failures raise IoError naming the file they belong to.
std::uint64_t CopyRange(ByteFile& from, std::uint64_t fromOffset, ByteFile& to,
                        std::uint64_t toOffset, std::uint64_t count,
                        std::span<std::uint8_t> buffer);

}  // namespace lumigram
