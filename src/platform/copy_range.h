#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace lumigram {

class BlockWriter;
class ByteFile;
class ByteSource;

// The work block of every copy: a package's content chunk, a whole file.
// Callers that must copy in smaller blocks hand the copy a part of one.
using CopyBlock = std::array<std::uint8_t, 65536>;

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

// Copies `from`, from where it stands to its end, to `to` at its position,
// through `block`, one read and one write a block.
void CopyToEnd(ByteFile& from, ByteFile& to, std::span<std::uint8_t> block);

// Copies exactly size bytes of `from` at offset into the region `writer` fills:
// large ones from a file into a file through CopyRange (with the writer's
// buffer for the fallback), one that fits in the buffer in a single read, the
// rest block by block. Raises IoError "Read beyond end of file" naming `from`
// when it ends first.
void CopyExactly(ByteSource& from, std::uint64_t offset, std::uint64_t size, BlockWriter& writer);

}  // namespace lumigram
