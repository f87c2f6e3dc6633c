// Byte files on Windows: opened with CreateFileW (UTF-16 names, sharing that
// lets other programs read the file meanwhile) and moved with ReadFile and
// WriteFile. The handle is kept as a C runtime descriptor so that the rest of
// the program sees the same int as on other systems.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <utility>

#include "platform/byte_file.h"
#include "platform/entry_kind.h"
#include "platform/fault_injection.h"
#include "platform/io_error.h"
#include "platform/wide_text.h"

namespace lumigram {
namespace {

// Largest count handed to one ReadFile or WriteFile call.
constexpr std::size_t kMaxTransfer = 1u << 30;

// Others may read, write and rename or delete a file we read; what we write is
// shared for reading only.
constexpr DWORD kShareForReading = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kShareForWriting = FILE_SHARE_READ | FILE_SHARE_DELETE;

void FailIfInjected(IoOp op, const std::string& path) {
    if (int err = InjectedFault(op)) {
        ThrowIoErrorFromErrno(err, path);
    }
}

HANDLE HandleOf(int fd) {
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

// What a handle that is not a disk file is, for the refusal.
EntryKind KindOfHandle(HANDLE handle) {
    switch (::GetFileType(handle)) {
        case FILE_TYPE_DISK:
            return EntryKind::kRegular;
        case FILE_TYPE_CHAR:
            return EntryKind::kCharDevice;
        case FILE_TYPE_PIPE:
            return EntryKind::kFifo;
        default:
            return EntryKind::kOther;
    }
}

int AdoptHandle(HANDLE handle, const std::string& path) {
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
    if (fd < 0) {
        ::CloseHandle(handle);
        ThrowIoErrorFromErrno(EMFILE, path);
    }
    return fd;
}

// A failed CreateFileW, told as a user would want it: a folder is a folder.
[[noreturn]] void ThrowOpenFailure(DWORD error, const std::string& path, const std::wstring& wide) {
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw IoError(IoCode::kFileAccessDenied, path, NotARegularFileText(EntryKind::kFolder));
    }
    ThrowIoErrorFromWindowsError(error, path);
}

}  // namespace

ByteFile ByteFile::Open(const std::string& path, int flags) {
    FailIfInjected((flags & O_CREAT) ? IoOp::kCreate : IoOp::kOpen, path);
    if (path.empty()) {
        throw IoError(IoCode::kFileNotFound, path);
    }
    const bool writing = (flags & O_ACCMODE) != O_RDONLY;
    DWORD disposition = OPEN_EXISTING;
    if ((flags & O_CREAT) && (flags & O_EXCL)) {
        disposition = CREATE_NEW;
    } else if ((flags & O_CREAT) && (flags & O_TRUNC)) {
        disposition = CREATE_ALWAYS;
    } else if (flags & O_CREAT) {
        disposition = OPEN_ALWAYS;
    }
    const std::wstring wide = Widen(path);
    const HANDLE handle =
        ::CreateFileW(wide.c_str(), writing ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
                      writing ? kShareForWriting : kShareForReading, nullptr, disposition,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        ThrowOpenFailure(::GetLastError(), path, wide);
    }
    return ByteFile(AdoptHandle(handle, path), path);
}

ByteFile ByteFile::OpenRead(const std::string& path) {
    ByteFile file = Open(path, O_RDONLY);
    // A device (CON, NUL, COM1) or a pipe is refused before anything is read.
    const EntryKind kind = KindOfHandle(HandleOf(file.fd_));
    if (kind != EntryKind::kRegular) {
        throw IoError(IoCode::kFileAccessDenied, path, NotARegularFileText(kind));
    }
    return file;
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
            ::_close(fd_);
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
        ::_close(fd_);
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
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    if (offset > static_cast<std::uint64_t>(INT64_MAX)) {
        ThrowIoErrorFromErrno(EINVAL, path_);
    }
    if (!::SetFilePointerEx(HandleOf(fd_), to, nullptr, FILE_BEGIN)) {
        ThrowIoErrorFromLastError(path_);
    }
}

namespace {

// Reads until data is full or the file ends; at is the offset to read from, or
// nullptr for the file position.
std::size_t ReadAll(HANDLE handle, std::span<std::uint8_t> data, const std::uint64_t* at,
                    const std::string& path) {
    std::size_t done = 0;
    while (done < data.size()) {
        const auto want = static_cast<DWORD>(std::min(data.size() - done, kMaxTransfer));
        OVERLAPPED where{};
        if (at != nullptr) {
            const std::uint64_t offset = *at + done;
            where.Offset = static_cast<DWORD>(offset);
            where.OffsetHigh = static_cast<DWORD>(offset >> 32);
        }
        DWORD moved = 0;
        if (!::ReadFile(handle, data.data() + done, want, &moved, at ? &where : nullptr)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_HANDLE_EOF || error == ERROR_BROKEN_PIPE) {
                break;
            }
            ThrowIoErrorFromWindowsError(error, path);
        }
        if (moved == 0) {
            break;
        }
        done += moved;
    }
    return done;
}

void WriteAll(HANDLE handle, std::span<const std::uint8_t> data, const std::uint64_t* at,
              const std::string& path) {
    std::size_t done = 0;
    while (done < data.size()) {
        const auto want = static_cast<DWORD>(std::min(data.size() - done, kMaxTransfer));
        OVERLAPPED where{};
        if (at != nullptr) {
            const std::uint64_t offset = *at + done;
            where.Offset = static_cast<DWORD>(offset);
            where.OffsetHigh = static_cast<DWORD>(offset >> 32);
        }
        DWORD moved = 0;
        if (!::WriteFile(handle, data.data() + done, want, &moved, at ? &where : nullptr)) {
            ThrowIoErrorFromLastError(path);
        }
        if (moved == 0) {
            throw IoError(IoCode::kDiskFull, path);
        }
        done += moved;
    }
}

}  // namespace

std::size_t ByteFile::Read(std::span<std::uint8_t> data) {
    RequireOpen();
    FailIfInjected(IoOp::kRead, path_);
    return ReadAll(HandleOf(fd_), data, nullptr, path_);
}

void ByteFile::Write(std::span<const std::uint8_t> data) {
    RequireOpen();
    FailIfInjected(IoOp::kWrite, path_);
    WriteAll(HandleOf(fd_), data, nullptr, path_);
    streamPosition_ += data.size();
}

namespace {

// A positioned ReadFile or WriteFile moves the file position too, which the
// positioned calls elsewhere leave alone: it is put back when one ends.
class KeptPosition {
  public:
    explicit KeptPosition(HANDLE handle) : handle_(handle) {
        kept_ = ::SetFilePointerEx(handle_, LARGE_INTEGER{}, &position_, FILE_CURRENT) != 0;
    }
    ~KeptPosition() {
        if (kept_) {
            ::SetFilePointerEx(handle_, position_, nullptr, FILE_BEGIN);
        }
    }
    KeptPosition(const KeptPosition&) = delete;
    KeptPosition& operator=(const KeptPosition&) = delete;

  private:
    HANDLE handle_;
    LARGE_INTEGER position_{};
    bool kept_ = false;
};

}  // namespace

std::size_t ByteFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> data) {
    RequireOpen();
    FailIfInjected(IoOp::kRead, path_);
    const KeptPosition kept(HandleOf(fd_));
    return ReadAll(HandleOf(fd_), data, &offset, path_);
}

void ByteFile::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> data) {
    RequireOpen();
    if (stream_) {
        RequireStreamPosition(offset);
        Write(data);
        return;
    }
    FailIfInjected(IoOp::kWrite, path_);
    const KeptPosition kept(HandleOf(fd_));
    WriteAll(HandleOf(fd_), data, &offset, path_);
}

std::uint64_t ByteFile::Size() const {
    RequireOpen();
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(HandleOf(fd_), &size)) {
        ThrowIoErrorFromLastError(path_);
    }
    return static_cast<std::uint64_t>(size.QuadPart);
}

void ByteFile::Close() {
    RequireOpen();
    const int fd = std::exchange(fd_, -1);
    if (int err = InjectedFault(IoOp::kClose)) {
        ::_close(fd);
        ThrowIoErrorFromErrno(err, path_);
    }
    if (::_close(fd) != 0) {
        ThrowIoErrorFromErrno(errno, path_);
    }
}

}  // namespace lumigram
