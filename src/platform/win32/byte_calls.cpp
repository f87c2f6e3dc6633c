// Byte files on Windows: opened with CreateFileW (UTF-16 names, sharing that
// lets other programs read the file meanwhile) and moved with ReadFile and
// WriteFile, the handle kept as a C runtime descriptor.
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <optional>

#include "platform/io_error.h"
#include "platform/system_calls.h"
#include "platform/wide_text.h"
#include "platform/win32/handles.h"

namespace lumigram::sys {
namespace {

// Others may read, write and rename or delete a file we read; what we write is
// shared for reading only.
constexpr DWORD kShareForReading = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kShareForWriting = FILE_SHARE_READ | FILE_SHARE_DELETE;

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

// One ReadFile or WriteFile, at *at (the position kept) or at the file
// position: call(handle, moved, where) makes it.
template <typename Call>
std::size_t Transfer(int fd, const std::uint64_t* at, Call call) {
    const HANDLE handle = HandleOf(fd);
    OVERLAPPED where{};
    std::optional<KeptPosition> kept;
    if (at != nullptr) {
        where.Offset = static_cast<DWORD>(*at);
        where.OffsetHigh = static_cast<DWORD>(*at >> 32);
        kept.emplace(handle);
    }
    DWORD moved = 0;
    call(handle, moved, at != nullptr ? &where : nullptr);
    return moved;
}

}  // namespace

int OpenFile(const std::string& path, FileAccess access) {
    const bool writing = access != FileAccess::kRead;
    DWORD disposition = OPEN_EXISTING;
    if (access == FileAccess::kCreateNew) {
        disposition = CREATE_NEW;
    } else if (access == FileAccess::kCreate) {
        disposition = CREATE_ALWAYS;
    }
    const std::wstring wide = Widen(path);
    const HANDLE handle =
        ::CreateFileW(wide.c_str(), writing ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
                      writing ? kShareForWriting : kShareForReading, nullptr, disposition,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // Told as a user would want it: a folder is a folder.
        const DWORD attributes = ::GetFileAttributesW(wide.c_str());
        if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            throw IoError(IoCode::kFileAccessDenied, path, NotARegularFileText(EntryKind::kFolder));
        }
        ThrowIoErrorFromWindowsError(error, path);
    }
    return AdoptHandle(handle, path);
}

EntryKind KindOfOpen(int fd, const std::string&) {
    switch (::GetFileType(HandleOf(fd))) {
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

std::size_t ReadSome(int fd, std::span<std::uint8_t> data, const std::uint64_t* at,
                     const std::string& path) {
    return Transfer(fd, at, [&](HANDLE handle, DWORD& moved, OVERLAPPED* where) {
        if (::ReadFile(handle, data.data(), static_cast<DWORD>(data.size()), &moved, where)) {
            return true;
        }
        const DWORD error = ::GetLastError();
        if (error == ERROR_HANDLE_EOF || error == ERROR_BROKEN_PIPE) {
            moved = 0;  // the end of the file, or of the pipe's writer
            return true;
        }
        ThrowIoErrorFromWindowsError(error, path);
    });
}

std::size_t WriteSome(int fd, std::span<const std::uint8_t> data, const std::uint64_t* at,
                      const std::string& path) {
    return Transfer(fd, at, [&](HANDLE handle, DWORD& moved, OVERLAPPED* where) {
        if (!::WriteFile(handle, data.data(), static_cast<DWORD>(data.size()), &moved, where)) {
            ThrowIoErrorFromLastError(path);
        }
        return true;
    });
}

void SeekTo(int fd, std::uint64_t offset, const std::string& path) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    if (!::SetFilePointerEx(HandleOf(fd), to, nullptr, FILE_BEGIN)) {
        ThrowIoErrorFromLastError(path);
    }
}

void CloseFile(int fd, const std::string& path) {
    if (::_close(fd) != 0) {
        ThrowIoErrorFromErrno(errno, path);
    }
}

void CloseQuietly(int fd) noexcept {
    ::_close(fd);
}

}  // namespace lumigram::sys
