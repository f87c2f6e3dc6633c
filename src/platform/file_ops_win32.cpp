// The file look-ups on Windows: one GetFileAttributesExW each, by UTF-16 name.
#include <windows.h>

#include <memory>

#include "platform/byte_file.h"
#include "platform/file_ops.h"
#include "platform/io_error.h"
#include "platform/output_file.h"
#include "platform/wide_text.h"

namespace lumigram {
namespace {

// The 100 ns ticks between 1601-01-01 (FILETIME's start) and 1970-01-01.
constexpr std::int64_t kEpochTicks = 116444736000000000LL;

bool Attributes(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
    return !path.empty() &&
           ::GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data) != 0;
}

}  // namespace

void DeleteFileQuietly(const std::string& path) {
    ::DeleteFileW(Widen(path).c_str());
}

std::int64_t FileAge(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!Attributes(path, data) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return -1;
    }
    const std::int64_t ticks =
        (static_cast<std::int64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
        data.ftLastWriteTime.dwLowDateTime;
    return (ticks - kEpochTicks) / 10000000;
}

std::uint64_t FileSizeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!Attributes(path, data)) {
        ThrowIoErrorFromLastError(path);
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        throw IoError(IoCode::kFileAccessDenied, path);
    }
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::uint64_t FileSizeOf(const std::string& path, FileIdentity& identity) {
    const std::uint64_t size = FileSizeOf(path);
    identity = IdentityOfPath(path).value_or(FileIdentity{});
    return size;
}

bool FileExists(const std::string& path) {
    return FileAge(path) != -1;
}

bool FolderExists(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return Attributes(path, data) && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void CreateFolders(const std::string& path) {
    // The output layer makes each missing part in turn and says which failed.
    (void)OutputFolder::OpenCreating(path);
}

}  // namespace lumigram
