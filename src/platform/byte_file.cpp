// Byte files, the same on every system; the calls in which the systems differ
// are behind platform/system_calls.h.
#include "platform/byte_file.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "platform/entry_kind.h"
#include "platform/fault_injection.h"
#include "platform/io_error.h"
#include "platform/system_calls.h"

namespace lumigram {
namespace {

// Largest count handed to one read or write call; keeps the count within int on
// every platform.
constexpr std::size_t kMaxTransfer = 1u << 30;

void FailIfInjected(IoOp op, const std::string& path) {
    if (int err = InjectedFault(op)) {
        ThrowIoErrorFromErrno(err, path);
    }
}

// Moves data through one call after another until all of it is done, from
// offset *at on (or the file position). A call that moves nothing ends a read
// (the end of the file: the caller sees the short count) and fails a write
// (the device is full).
template <typename Byte, typename Transfer>
std::size_t TransferAll(std::span<Byte> data, const std::uint64_t* at, Transfer transfer) {
    std::size_t done = 0;
    while (done < data.size()) {
        const std::uint64_t offset = at != nullptr ? *at + done : 0;
        const std::size_t moved = transfer(
            data.subspan(done, std::min(data.size() - done, kMaxTransfer)), at ? &offset : nullptr);
        if (moved == 0) {
            break;
        }
        done += moved;
    }
    return done;
}

}  // namespace

ByteFile ByteFile::Open(const std::string& path, sys::FileAccess access) {
    const bool creating =
        access == sys::FileAccess::kCreate || access == sys::FileAccess::kCreateNew;
    FailIfInjected(creating ? IoOp::kCreate : IoOp::kOpen, path);
    if (path.empty()) {
        throw IoError(IoCode::kFileNotFound, path);
    }
    return ByteFile(sys::OpenFile(path, access), path);
}

ByteFile ByteFile::OpenRead(const std::string& path) {
    // Looked at before the first read; only a regular file goes on.
    ByteFile file = Open(path, sys::FileAccess::kRead);
    const EntryKind kind = sys::KindOfOpen(file.fd_, path);
    if (kind != EntryKind::kRegular) {
        throw IoError(IoCode::kFileAccessDenied, path, NotARegularFileText(kind));
    }
    return file;
}

ByteFile ByteFile::OpenUpdate(const std::string& path) {
    return Open(path, sys::FileAccess::kUpdate);
}

ByteFile ByteFile::Create(const std::string& path) {
    return Open(path, sys::FileAccess::kCreate);
}

ByteFile ByteFile::CreateExclusive(const std::string& path) {
    return Open(path, sys::FileAccess::kCreateNew);
}

ByteFile ByteFile::Adopt(int fd, std::string shownPath) {
    return ByteFile(fd, std::move(shownPath));
}

ByteFile ByteFile::AdoptStream(int fd, std::string shownPath) {
    ByteFile file(fd, std::move(shownPath));
    file.stream_ = true;
    return file;
}

ByteFile::ByteFile(ByteFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      path_(std::move(other.path_)),
      stream_(other.stream_),
      streamPosition_(other.streamPosition_) {}

ByteFile& ByteFile::operator=(ByteFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            sys::CloseQuietly(fd_);
        }
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
        stream_ = other.stream_;
        streamPosition_ = other.streamPosition_;
    }
    return *this;
}

ByteFile::~ByteFile() {
    if (fd_ >= 0) {
        sys::CloseQuietly(fd_);
    }
}

void ByteFile::RequireOpen() const {
    if (fd_ < 0) {
        throw IoError(IoCode::kFileNotOpen, path_);
    }
}

void ByteFile::RequireStreamPosition(std::uint64_t offset) const {
    if (offset != streamPosition_) {
        throw IoError(IoCode::kFileAccessDenied, path_,
                      "cannot be written out of order: it is a stream, not a regular file");
    }
}

void ByteFile::Seek(std::uint64_t offset) {
    RequireOpen();
    if (stream_) {
        RequireStreamPosition(offset);
        return;
    }
    FailIfInjected(IoOp::kSeek, path_);
    if (offset > static_cast<std::uint64_t>(INT64_MAX)) {
        ThrowIoErrorFromErrno(EINVAL, path_);
    }
    sys::SeekTo(fd_, offset, path_);
}

std::size_t ByteFile::Read(std::span<std::uint8_t> data) {
    RequireOpen();
    FailIfInjected(IoOp::kRead, path_);
    return TransferAll(data, nullptr, [this](std::span<std::uint8_t> part, const std::uint64_t*) {
        return sys::ReadSome(fd_, part, nullptr, path_);
    });
}

std::size_t ByteFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> data) {
    RequireOpen();
    FailIfInjected(IoOp::kRead, path_);
    return TransferAll(data, &offset,
                       [this](std::span<std::uint8_t> part, const std::uint64_t* at) {
                           return sys::ReadSome(fd_, part, at, path_);
                       });
}

void ByteFile::Write(std::span<const std::uint8_t> data) {
    RequireOpen();
    FailIfInjected(IoOp::kWrite, path_);
    WriteAll(data, nullptr);
    streamPosition_ += data.size();
}

void ByteFile::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> data) {
    RequireOpen();
    if (stream_) {
        RequireStreamPosition(offset);
        Write(data);
        return;
    }
    FailIfInjected(IoOp::kWrite, path_);
    WriteAll(data, &offset);
}

void ByteFile::WriteAll(std::span<const std::uint8_t> data, const std::uint64_t* at) {
    const std::size_t written =
        TransferAll(data, at, [this](std::span<const std::uint8_t> part, const std::uint64_t* to) {
            return sys::WriteSome(fd_, part, to, path_);
        });
    if (written < data.size()) {
        throw IoError(IoCode::kDiskFull, path_);
    }
}

std::uint64_t ByteFile::Size() const {
    RequireOpen();
    return sys::StampOfOpen(fd_, path_).size;
}

void ByteFile::Close() {
    RequireOpen();
    const int fd = std::exchange(fd_, -1);
    if (int err = InjectedFault(IoOp::kClose)) {
        sys::CloseQuietly(fd);
        ThrowIoErrorFromErrno(err, path_);
    }
    sys::CloseFile(fd, path_);
}

}  // namespace lumigram
