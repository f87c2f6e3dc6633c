#include "platform/io_error.h"

#include <cerrno>
#include <cstring>

namespace lumigram {

std::string IoErrorText(int code) {
    switch (code) {
        case kFileNotFound:
            return "File not found";
        case kInvalidFilename:
            return "Invalid filename";
        case kTooManyOpenFiles:
            return "Too many open files";
        case kFileAccessDenied:
            return "File access denied";
        case kReadBeyondEndOfFile:
            return "Read beyond end of file";
        case kDiskFull:
            return "Disk full";
        case kInvalidNumericInput:
            return "Invalid numeric input";
        default:
#ifdef _WIN32
            if (code >= kWindowsErrorBase) {
                const auto err = static_cast<unsigned long>(code - kWindowsErrorBase);
                return "I/O error " + std::to_string(err) + " (" + WindowsErrorText(err) + ")";
            }
#endif
            if (code >= kOsErrorBase) {
                const int err = code - kOsErrorBase;
                return "I/O error " + std::to_string(err) + " (" + std::strerror(err) + ")";
            }
            return "I/O error " + std::to_string(code);
    }
}

int IoCodeFromErrno(int errnoValue) {
    switch (errnoValue) {
        case ENOENT:
        case ENOTDIR:
            return kFileNotFound;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            return kFileAccessDenied;
        case EMFILE:
        case ENFILE:
            return kTooManyOpenFiles;
        case ENAMETOOLONG:
        case EINVAL:
            return kInvalidFilename;
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
            return kDiskFull;
        default:
            // Shown by number and meaning, never mistaken for a runtime code.
            return kOsErrorBase + errnoValue;
    }
}

void ThrowIoErrorFromErrno(int errnoValue, const std::string& path) {
    throw IoError(IoCodeFromErrno(errnoValue), path);
}

}  // namespace lumigram
