#include <windows.h>

#include <random>

#include "platform/folder_writes.h"
#include "platform/wide_text.h"

namespace lumigram {
namespace {

std::string ProbeName() {
    std::minstd_rand random(std::random_device{}());
    std::string name = ".lumigram-";
    for (int i = 0; i < 6; ++i) {
        name += static_cast<char>('a' + random() % 26);
    }
    return name;
}

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

bool Exists(const std::string& path) {
    return ::GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

bool FolderIgnoresCase(const OutputFolder& folder) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::string name = ProbeName();
        const std::string lower = folder.PathOf(name);
        const std::string upper = folder.PathOf(Upper(name));
        if (Exists(upper)) {
            continue;
        }
        const HANDLE probe =
            ::CreateFileW(Widen(lower).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (probe == INVALID_HANDLE_VALUE) {
            if (::GetLastError() == ERROR_FILE_EXISTS) {
                continue;
            }
            return false;
        }
        const bool found = Exists(upper);
        ::CloseHandle(probe);  // deletes it
        return found;
    }
    return false;
}

std::optional<FileIdentity> EntryIdentity(const OutputFolder& folder, const std::string& name) {
    const HANDLE handle = ::CreateFileW(
        Widen(folder.PathOf(name)).c_str(), 0,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = ::GetFileInformationByHandle(handle, &info) != 0;
    ::CloseHandle(handle);
    if (!known) {
        return std::nullopt;
    }
    return FileIdentity{
        info.dwVolumeSerialNumber,
        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

}  // namespace lumigram
