#include "platform/byte_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <utility>

#include "platform/entry_kind.h"
#include "platform/fault_injection.h"
#include "platform/io_error.h"

#ifdef _WIN32
#include <io.h>
#define LG_OPEN ::_open
#define LG_CLOSE ::_close
#define LG_READ ::_read
#define LG_WRITE ::_write
#define LG_LSEEK ::_lseeki64
#define LG_FSTAT ::_fstat64
using StatBuffer = struct ::_stat64;
constexpr int kOpenFlags = _O_BINARY;
#else
#include <unistd.h>
#define LG_OPEN ::open
#define LG_CLOSE ::close
#define LG_READ ::read
#define LG_WRITE ::write
#define LG_LSEEK ::lseek
#define LG_FSTAT ::fstat
using StatBuffer = struct ::stat;
constexpr int kOpenFlags = O_CLOEXEC;
#endif

#ifndef O_ACCMODE
#define O_ACCMODE (O_RDONLY | O_WRONLY | O_RDWR)
#endif

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

// Moves data through one system call after another until all of it is done;
// transfer(buffer, count, done) makes the call for the bytes from done on. A
// call that moves nothing ends a read (the end of the file: the caller sees the
// short count) and fails a write (the device is full).
enum class Direction { kRead, kWrite };

template <Direction direction, typename Byte, typename Transfer>
std::size_t TransferAll(std::span<Byte> data, const std::string& path, Transfer transfer) {
    std::size_t done = 0;
    while (done < data.size()) {
        const std::size_t want = std::min(data.size() - done, kMaxTransfer);
        const auto moved = transfer(data.data() + done, want, done);
        if (moved < 0) {
            if (errno == EINTR) {
                continue;
            }
            ThrowIoErrorFromErrno(errno, path);
        }
        if (moved == 0) {
            if constexpr (direction == Direction::kWrite) {
                throw IoError(IoCode::kDiskFull, path);
            }
            break;
        }
        done += static_cast<std::size_t>(moved);
    }
    return done;
}

}  // namespace

ByteFile ByteFile::Open(const std::string& path, int flags) {
    FailIfInjected((flags & O_CREAT) ? IoOp::kCreate : IoOp::kOpen, path);
    if (path.empty()) {
        throw IoError(IoCode::kFileNotFound, path);
    }
    int fd;
    do {
        fd = LG_OPEN(path.c_str(), flags | kOpenFlags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int err = errno;
        // A socket cannot be opened at all; say what it is rather than ENXIO.
        StatBuffer st{};
        if (err == ENXIO && ::stat(path.c_str(), &st) == 0) {
            throw IoError(IoCode::kFileAccessDenied, path,
                          NotARegularFileText(EntryKindOfMode(st.st_mode)));
        }
        ThrowIoErrorFromErrno(err, path);
    }
    return ByteFile(fd, path);
}

ByteFile ByteFile::OpenRead(const std::string& path) {
#ifdef _WIN32
    return Open(path, O_RDONLY);
#else
    // Opened without waiting (a FIFO with no writer would block the open), then
    // looked at before the first read; only a regular file goes on.
    ByteFile file = Open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    StatBuffer st{};
    if (LG_FSTAT(file.fd_, &st) != 0) {
        ThrowIoErrorFromErrno(errno, path);
    }
    const EntryKind kind = EntryKindOfMode(st.st_mode);
    if (kind != EntryKind::kRegular) {
        throw IoError(IoCode::kFileAccessDenied, path, NotARegularFileText(kind));
    }
    // O_NONBLOCK means nothing for a regular file, so it may stay set.
    return file;
#endif
}

ByteFile ByteFile::OpenUpdate(const std::string& path) {
    return Open(path, O_RDWR);
}

ByteFile ByteFile::Create(const std::string& path) {
    return Open(path, O_RDWR | O_CREAT | O_TRUNC);
}

ByteFile ByteFile::CreateExclusive(const std::string& path) {
    return Open(path, O_RDWR | O_CREAT | O_EXCL);
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
            LG_CLOSE(fd_);
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
        LG_CLOSE(fd_);
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
    if (LG_LSEEK(fd_, static_cast<std::int64_t>(offset), SEEK_SET) < 0) {
        ThrowIoErrorFromErrno(errno, path_);
    }
}

std::size_t ByteFile::Read(std::span<std::uint8_t> data) {
    RequireOpen();
    FailIfInjected(IoOp::kRead, path_);
    return TransferAll<Direction::kRead>(
        data, path_, [this](std::uint8_t* buffer, std::size_t count, std::size_t) {
            return LG_READ(fd_, buffer, static_cast<unsigned>(count));
        });
}

void ByteFile::Write(std::span<const std::uint8_t> data) {
    RequireOpen();
    FailIfInjected(IoOp::kWrite, path_);
    TransferAll<Direction::kWrite>(
        data, path_, [this](const std::uint8_t* buffer, std::size_t count, std::size_t) {
            return LG_WRITE(fd_, buffer, static_cast<unsigned>(count));
        });
    streamPosition_ += data.size();
}

#ifdef _WIN32
std::size_t ByteFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> data) {
    Seek(offset);
    return Read(data);
}

void ByteFile::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> data) {
    Seek(offset);
    Write(data);
}
#else
std::size_t ByteFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> data) {
    RequireOpen();
    FailIfInjected(IoOp::kRead, path_);
    return TransferAll<Direction::kRead>(
        data, path_, [&](std::uint8_t* buffer, std::size_t count, std::size_t done) {
            return ::pread(fd_, buffer, count, static_cast<off_t>(offset + done));
        });
}

void ByteFile::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> data) {
    RequireOpen();
    if (stream_) {
        RequireStreamPosition(offset);
        Write(data);
        return;
    }
    FailIfInjected(IoOp::kWrite, path_);
    TransferAll<Direction::kWrite>(
        data, path_, [&](const std::uint8_t* buffer, std::size_t count, std::size_t done) {
            return ::pwrite(fd_, buffer, count, static_cast<off_t>(offset + done));
        });
}
#endif

std::uint64_t ByteFile::Size() const {
    RequireOpen();
    StatBuffer st{};
    if (LG_FSTAT(fd_, &st) != 0) {
        ThrowIoErrorFromErrno(errno, path_);
    }
    return static_cast<std::uint64_t>(st.st_size);
}

void ByteFile::Close() {
    RequireOpen();
    const int fd = std::exchange(fd_, -1);
    if (int err = InjectedFault(IoOp::kClose)) {
        LG_CLOSE(fd);
        ThrowIoErrorFromErrno(err, path_);
    }
    if (LG_CLOSE(fd) != 0 && errno != EINTR) {
        ThrowIoErrorFromErrno(errno, path_);
    }
}

}  // namespace lumigram
