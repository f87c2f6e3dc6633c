#include "platform/io_error.h"

#include <cerrno>
#include <cstring>

namespace lumigram {

std::string IoErrorText(IoCode code) {
    switch (code) {
        case IoCode::kFileNotFound:
            return "File not found";
        case IoCode::kInvalidFilename:
            return "Invalid filename";
        case IoCode::kTooManyOpenFiles:
            return "Too many open files";
        case IoCode::kFileAccessDenied:
            return "File access denied";
        case IoCode::kReadBeyondEndOfFile:
            return "Read beyond end of file";
        case IoCode::kDiskFull:
            return "Disk full";
        case IoCode::kInvalidNumericInput:
            return "Invalid numeric input";
        case IoCode::kFolderNotFound:
            return "Folder not found";
        default:
            break;
    }
    const int value = static_cast<int>(code);
#ifdef _WIN32
    if (value >= kWindowsErrorBase) {
        const auto err = static_cast<unsigned long>(value - kWindowsErrorBase);
        return "I/O error " + std::to_string(err) + " (" + WindowsErrorText(err) + ")";
    }
#endif
    if (value >= kOsErrorBase) {
        const int err = value - kOsErrorBase;
        return "I/O error " + std::to_string(err) + " (" + std::strerror(err) + ")";
    }
    return "I/O error " + std::to_string(value);
}

IoCode IoCodeFromErrno(int errnoValue) {
    switch (errnoValue) {
        case ENOENT:
        case ENOTDIR:
            return IoCode::kFileNotFound;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            return IoCode::kFileAccessDenied;
        case EMFILE:
        case ENFILE:
            return IoCode::kTooManyOpenFiles;
        case ENAMETOOLONG:
        case EINVAL:
            return IoCode::kInvalidFilename;
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
            return IoCode::kDiskFull;
        default:
            // Shown by number and meaning, never mistaken for a runtime code.
            return static_cast<IoCode>(kOsErrorBase + errnoValue);
    }
}

void ThrowIoErrorFromErrno(int errnoValue, const std::string& path) {
    throw IoError(IoCodeFromErrno(errnoValue), path);
}

}  // namespace lumigram
