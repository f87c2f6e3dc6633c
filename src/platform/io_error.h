#pragma once

#include <stdexcept>
#include <string>

namespace lumigram {

// Every error the core raises. what() is the text a user reads; path() names the
// file or folder the error concerns (empty when there is none), so that the window
// and the CLI can show it beside the text.
class Error : public std::runtime_error {
  public:
    Error(const std::string& message, std::string path)
        : std::runtime_error(message), path_(std::move(path)) {}

    const std::string& path() const noexcept { return path_; }

  private:
    std::string path_;
};

// Runtime input/output error codes, as the file layer reports them to users.
// Codes without a name of their own (see kOsErrorBase) are carried in the same
// type.
enum class IoCode : int {
    kFileNotFound = 2,
    kInvalidFilename = 3,
    kTooManyOpenFiles = 4,
    kFileAccessDenied = 5,
    kReadBeyondEndOfFile = 100,
    kDiskFull = 101,
    kFileNotOpen = 103,
    kInvalidNumericInput = 106,
    // A folder named as a place to read from or write into does not exist;
    // apart from kFileNotFound so that a caller can say which folder is missing.
    kFolderNotFound = 1002,
};

// Operating-system errors that have no runtime code of their own are carried as
// kOsErrorBase + errno, far above every runtime code, so that EIO (5) can never
// pass for "File access denied" (5) or ENETUNREACH (101) for "Disk full" (101).
inline constexpr int kOsErrorBase = 100000;
// Windows' own error numbers (GetLastError) without a runtime code are carried
// as kWindowsErrorBase + the number, apart from errno values.
inline constexpr int kWindowsErrorBase = 200000;

// The text that goes with a runtime I/O code: "File not found", "Disk full", ...,
// "I/O error N" for codes without a text of their own, and
// "I/O error N (what the system says)" for an unnamed errno N.
std::string IoErrorText(IoCode code);

// A failed open, seek, read, write, close or rename.
class IoError : public Error {
  public:
    IoError(IoCode code, std::string path)
        : Error(IoErrorText(code), std::move(path)), code_(code) {}
    // The same failure, told in words of its own ("is a folder").
    IoError(IoCode code, std::string path, const std::string& message)
        : Error(message, std::move(path)), code_(code) {}

    IoCode code() const noexcept { return code_; }

  private:
    IoCode code_;
};

// Maps an operating-system errno value to the runtime code above, or to
// kOsErrorBase + errnoValue when the runtime has no code for it.
IoCode IoCodeFromErrno(int errnoValue);

// Raises the IoError for errnoValue, concerning path.
[[noreturn]] void ThrowIoErrorFromErrno(int errnoValue, const std::string& path);

#ifdef _WIN32
// The system's text for a GetLastError number, without the closing full stop.
std::string WindowsErrorText(unsigned long error);
// Maps a GetLastError number to the runtime code, like IoCodeFromErrno.
IoCode IoCodeFromWindowsError(unsigned long error);
[[noreturn]] void ThrowIoErrorFromWindowsError(unsigned long error, const std::string& path);
// The same for the calling thread's last error.
[[noreturn]] void ThrowIoErrorFromLastError(const std::string& path);
#endif

// An in-place edit found that the file it read was changed or replaced by
// someone else before it could be written back: nothing was written.
class FileChangedError : public IoError {
  public:
    explicit FileChangedError(std::string path)
        : IoError(IoCode::kFileAccessDenied, std::move(path),
                  "changed on disk since it was read; nothing was written") {}
};

// Another program holds the edit lock of the file; holder names it when the
// system can tell ("lumigram-cli, process 4711"), else it is empty.
class FileBusyError : public IoError {
  public:
    FileBusyError(std::string path, const std::string& holder)
        : IoError(IoCode::kFileAccessDenied, std::move(path),
                  "is being changed by another program" +
                      (holder.empty() ? std::string() : " (" + holder + ")") + "; try again") {}
};

// The user may not write the file (or, for an administrator, its mode allows
// nobody to): an edit in place is refused unless forced.
class WriteProtectedError : public IoError {
  public:
    explicit WriteProtectedError(std::string path)
        : IoError(IoCode::kFileAccessDenied, std::move(path),
                  "is write-protected; nothing was written") {}
};

// Bytes that are not what their format requires: a refused picture or package.
class FormatError : public Error {
  public:
    using Error::Error;
};

}  // namespace lumigram
