#include "platform/file_ops.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/byte_file.h"
#include "platform/fault_injection.h"
#include "platform/io_error.h"
#include "platform/output_file.h"

namespace lumigram {

void DeleteFileQuietly(const std::string& path) {
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::path(path), ignored);
}

std::int64_t FileAge(const std::string& path) {
    struct ::stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return -1;
    }
    return static_cast<std::int64_t>(st.st_mtime);
}

std::uint64_t FileSizeOf(const std::string& path) {
    FileIdentity ignored;
    return FileSizeOf(path, ignored);
}

std::uint64_t FileSizeOf(const std::string& path, FileIdentity& identity) {
    struct ::stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        ThrowIoErrorFromErrno(errno, path);
    }
    if (S_ISDIR(st.st_mode)) {
        ThrowIoErrorFromErrno(EISDIR, path);
    }
    identity =
        FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
    return static_cast<std::uint64_t>(st.st_size);
}

bool FileExists(const std::string& path) {
    return FileAge(path) != -1;
}

bool FolderExists(const std::string& path) {
    struct ::stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void CreateFolders(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path), error);
    if (error) {
        ThrowIoErrorFromErrno(error.value(), path);
    }
    if (!FolderExists(path)) {
        ThrowIoErrorFromErrno(ENOTDIR, path);
    }
}

}  // namespace lumigram
