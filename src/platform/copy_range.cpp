#include "platform/copy_range.h"

#include <algorithm>
#include <cerrno>

#include "platform/block_writer.h"
#include "platform/byte_file.h"
#include "platform/fault_injection.h"
#include "platform/io_error.h"

#if defined(__linux__)
#include <unistd.h>
#define LUMIGRAM_COPY_FILE_RANGE 1
#endif

namespace lumigram {
namespace {

std::uint64_t CopyThroughBuffer(ByteFile& from, std::uint64_t fromOffset, ByteFile& to,
                                std::uint64_t toOffset, std::uint64_t count,
                                std::span<std::uint8_t> buffer) {
    std::uint64_t done = 0;
    while (done < count) {
        const std::span<std::uint8_t> room = buffer.first(
            static_cast<std::size_t>(std::min<std::uint64_t>(count - done, buffer.size())));
        const std::size_t got = from.ReadAt(fromOffset + done, room);
        to.WriteAt(toOffset + done, room.first(got));
        done += got;
        if (got < room.size()) {
            break;
        }
    }
    return done;
}

#ifdef LUMIGRAM_COPY_FILE_RANGE
// Refusals that mean "not here, copy it yourself" rather than a failure.
bool KernelDeclines(int err) {
    return err == EXDEV || err == ENOSYS || err == EINVAL || err == EOPNOTSUPP || err == ENOTSUP ||
           err == EBADF;
}

// The kernel does not say which side of its copy failed. Running out of room,
// a size limit or a read-only destination belong to the destination; a bare
// input/output error is taken as the source's, the side that is read.
const std::string& PathOfFailure(int err, const ByteFile& from, const ByteFile& to) {
    return err == EIO ? from.path() : to.path();
}
#endif

}  // namespace

std::uint64_t CopyRange(ByteFile& from, std::uint64_t fromOffset, ByteFile& to,
                        std::uint64_t toOffset, std::uint64_t count,
                        std::span<std::uint8_t> buffer) {
#ifdef LUMIGRAM_COPY_FILE_RANGE
    if (!to.IsStream() && from.IsOpen() && to.IsOpen()) {
        std::uint64_t done = 0;
        while (done < count) {
            // The test seam sees the copy as the read and the write it stands for.
            if (const int err = InjectedFault(IoOp::kRead)) {
                ThrowIoErrorFromErrno(err, from.path());
            }
            if (const int err = InjectedFault(IoOp::kWrite)) {
                ThrowIoErrorFromErrno(err, to.path());
            }
            auto in = static_cast<off_t>(fromOffset + done);
            auto out = static_cast<off_t>(toOffset + done);
            const std::size_t want =
                static_cast<std::size_t>(std::min<std::uint64_t>(count - done, 1u << 30));
            const ssize_t moved =
                ::copy_file_range(from.descriptor(), &in, to.descriptor(), &out, want, 0);
            if (moved < 0) {
                const int err = errno;
                if (err == EINTR) {
                    continue;
                }
                if (KernelDeclines(err)) {
                    return done + CopyThroughBuffer(from, fromOffset + done, to, toOffset + done,
                                                    count - done, buffer);
                }
                ThrowIoErrorFromErrno(err, PathOfFailure(err, from, to));
            }
            if (moved == 0) {
                break;  // the source ended
            }
            done += static_cast<std::uint64_t>(moved);
        }
        return done;
    }
#endif
    return CopyThroughBuffer(from, fromOffset, to, toOffset, count, buffer);
}

void CopyToEnd(ByteFile& from, ByteFile& to, std::span<std::uint8_t> block) {
    while (const std::size_t n = from.Read(block)) {
        to.Write(block.first(n));
    }
}

void CopyExactly(ByteSource& from, std::uint64_t offset, std::uint64_t size, BlockWriter& writer) {
    if (size == 0) {
        return;
    }
    auto* const fromFile = dynamic_cast<ByteFile*>(&from);
    auto* const toFile = dynamic_cast<ByteFile*>(&writer.sink());
    if (size >= kKernelCopyMinimum && fromFile != nullptr && toFile != nullptr) {
        writer.Flush();
        if (CopyRange(*fromFile, offset, *toFile, writer.offset(), size, writer.buffer()) != size) {
            throw IoError(IoCode::kReadBeyondEndOfFile, from.name());
        }
        writer.Skip(size);
        return;
    }
    // Content that fits in the buffer is read whole, in one read, even if that
    // sends the buffer out before it is full.
    if (size <= writer.buffer().size()) {
        const auto count = static_cast<std::size_t>(size);
        if (from.ReadAt(offset, writer.Reserve(count)) != count) {
            throw IoError(IoCode::kReadBeyondEndOfFile, from.name());
        }
        writer.Commit(count);
        return;
    }
    while (size > 0) {
        const std::size_t got =
            from.ReadAt(offset, writer.ReserveUpTo(static_cast<std::size_t>(
                                    std::min<std::uint64_t>(size, writer.buffer().size()))));
        if (got == 0) {
            throw IoError(IoCode::kReadBeyondEndOfFile, from.name());
        }
        writer.Commit(got);
        offset += got;
        size -= got;
    }
}

}  // namespace lumigram
