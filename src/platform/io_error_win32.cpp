// The runtime codes for the system's own error numbers (GetLastError), and the
// system's words for the numbers that have none.
#include <windows.h>

#include "platform/io_error.h"
#include "platform/wide_text.h"

namespace lumigram {

std::string WindowsErrorText(unsigned long error) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
        reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text = length > 0 ? Narrow(std::wstring_view(buffer, length)) : std::string();
    if (buffer != nullptr) {
        ::LocalFree(buffer);
    }
    // The system's texts end in ".\r\n"; a message goes on after them.
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' ||
                             text.back() == '.')) {
        text.pop_back();
    }
    return text.empty() ? "system error" : text;
}

IoCode IoCodeFromWindowsError(unsigned long error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_DIRECTORY:
            return IoCode::kFileNotFound;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
        case ERROR_CURRENT_DIRECTORY:
            return IoCode::kFileAccessDenied;
        case ERROR_TOO_MANY_OPEN_FILES:
            return IoCode::kTooManyOpenFiles;
        case ERROR_INVALID_NAME:
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_BAD_PATHNAME:
        case ERROR_INVALID_PARAMETER:
            return IoCode::kInvalidFilename;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return IoCode::kDiskFull;
        default:
            return static_cast<IoCode>(kWindowsErrorBase + static_cast<int>(error & 0xFFFF));
    }
}

void ThrowIoErrorFromWindowsError(unsigned long error, const std::string& path) {
    throw IoError(IoCodeFromWindowsError(error), path);
}

void ThrowIoErrorFromLastError(const std::string& path) {
    ThrowIoErrorFromWindowsError(::GetLastError(), path);
}

}  // namespace lumigram
