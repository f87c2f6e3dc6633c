// Byte files on POSIX: descriptors moved with read, write, pread and pwrite.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/io_error.h"
#include "platform/system_calls.h"

namespace lumigram::sys {

int OpenFile(const std::string& path, FileAccess access) {
    int flags = O_CLOEXEC;
    switch (access) {
        case FileAccess::kRead:
            // Without waiting: a FIFO with no writer would block the open. (It
            // means nothing for a regular file, so it may stay set.)
            flags |= O_RDONLY | O_NONBLOCK | O_NOCTTY;
            break;
        case FileAccess::kUpdate:
            flags |= O_RDWR;
            break;
        case FileAccess::kCreate:
            flags |= O_RDWR | O_CREAT | O_TRUNC;
            break;
        case FileAccess::kCreateNew:
            flags |= O_RDWR | O_CREAT | O_EXCL;
            break;
    }
    int fd;
    do {
        fd = ::open(path.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int err = errno;
        // A socket cannot be opened at all; say what it is rather than ENXIO.
        struct ::stat st {};
        if (err == ENXIO && ::stat(path.c_str(), &st) == 0) {
            throw IoError(IoCode::kFileAccessDenied, path,
                          NotARegularFileText(EntryKindOfMode(st.st_mode)));
        }
        ThrowIoErrorFromErrno(err, path);
    }
    return fd;
}

EntryKind KindOfOpen(int fd, const std::string& path) {
    struct ::stat st {};
    if (::fstat(fd, &st) != 0) {
        ThrowIoErrorFromErrno(errno, path);
    }
    return EntryKindOfMode(st.st_mode);
}

std::size_t ReadSome(int fd, std::span<std::uint8_t> data, const std::uint64_t* at,
                     const std::string& path) {
    for (;;) {
        const ssize_t moved = at != nullptr
                                  ? ::pread(fd, data.data(), data.size(), static_cast<off_t>(*at))
                                  : ::read(fd, data.data(), data.size());
        if (moved >= 0) {
            return static_cast<std::size_t>(moved);
        }
        if (errno != EINTR) {
            ThrowIoErrorFromErrno(errno, path);
        }
    }
}

std::size_t WriteSome(int fd, std::span<const std::uint8_t> data, const std::uint64_t* at,
                      const std::string& path) {
    for (;;) {
        const ssize_t moved = at != nullptr
                                  ? ::pwrite(fd, data.data(), data.size(), static_cast<off_t>(*at))
                                  : ::write(fd, data.data(), data.size());
        if (moved >= 0) {
            return static_cast<std::size_t>(moved);
        }
        if (errno != EINTR) {
            ThrowIoErrorFromErrno(errno, path);
        }
    }
}

void SeekTo(int fd, std::uint64_t offset, const std::string& path) {
    if (::lseek(fd, static_cast<off_t>(offset), SEEK_SET) < 0) {
        ThrowIoErrorFromErrno(errno, path);
    }
}

void CloseFile(int fd, const std::string& path) {
    // EINTR: the descriptor is gone all the same on Linux; nothing to retry.
    if (::close(fd) != 0 && errno != EINTR) {
        ThrowIoErrorFromErrno(errno, path);
    }
}

void CloseQuietly(int fd) noexcept {
    ::close(fd);
}

}  // namespace lumigram::sys
