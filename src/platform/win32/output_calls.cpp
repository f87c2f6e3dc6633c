// The output layer's system calls on Windows.
// - Windows creates and renames files by path only, never relative to a
//   folder handle. An output folder is therefore held open without delete
//   sharing for as long as it is in use, which stops it from being renamed or
//   removed (and so swapped for a link) meanwhile; its files are then reached
//   by its path.
// - A temporary is moved over its target with MoveFileExW(MOVEFILE_WRITE_THROUGH,
//   and MOVEFILE_REPLACE_EXISTING unless existing files are to be left alone,
//   so that refusal holds even for a name that appears after the check).
// - A read-only target, or one another program holds open without delete
//   sharing, cannot be replaced: "File access denied", the earlier file whole.
// - Device names (CON, NUL, COM1, ...) are devices, like FIFOs elsewhere.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <random>

#include "platform/io_error.h"
#include "platform/path.h"
#include "platform/system_calls.h"
#include "platform/wide_text.h"
#include "platform/win32/handles.h"
#include "platform/windows_names.h"

namespace lumigram::sys {
namespace {

// What we write is shared for reading only, and for its rename.
constexpr DWORD kShareForWriting = FILE_SHARE_READ | FILE_SHARE_DELETE;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool IsDevicePath(const std::string& path) {
    return path.starts_with("\\\\.\\") || IsReservedDeviceName(ExtractFileName(path));
}

}  // namespace

FolderOpened OpenFolder(const std::string& path, UniqueFd& folder) {
    // Shared for reading and writing, not for deleting: the folder stays where
    // it is while outputs go into it.
    const HANDLE handle =
        ::CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            return FolderOpened::kMissing;
        }
        ThrowIoErrorFromWindowsError(error, path);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        ::CloseHandle(handle);
        return FolderOpened::kNotAFolder;
    }
    folder = UniqueFd(AdoptHandle(handle, path));
    return FolderOpened::kOpened;
}

FolderMade MakeFolder(const std::string& path) {
    if (::CreateDirectoryW(Widen(path).c_str(), nullptr)) {
        return FolderMade::kMade;
    }
    const DWORD error = ::GetLastError();
    // A part that exists as a folder (made meanwhile, or a share) is fine.
    if (KindAt(path) == EntryKind::kFolder) {
        return FolderMade::kExisted;
    }
    if (error == ERROR_ALREADY_EXISTS) {
        return FolderMade::kNotAFolder;
    }
    ThrowIoErrorFromWindowsError(error, path);
}

bool NeedsNoMaking(const std::string& part) {
    return part.empty() || part.back() == ':' || IsPathDelimiter(part.back());
}

std::optional<std::unordered_set<std::string>> ListNames(int, const std::string& path) {
    const std::string pattern = path.empty()                   ? std::string("*")
                                : IsPathDelimiter(path.back()) ? path + "*"
                                                               : JoinPath(path, "*");
    WIN32_FIND_DATAW found{};
    const HANDLE search =
        ::FindFirstFileExW(Widen(pattern).c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                           nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::unordered_set<std::string> names;
    do {
        names.emplace(Narrow(found.cFileName));
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return names;
}

EntryInfo LookAt(const EntryRef& entry, const std::string&) {
    EntryInfo info;
    info.kind = KindAt(entry.path);
    if (info.kind == EntryKind::kMissing) {
        return info;
    }
    const std::wstring wide = Widen(entry.path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    info.replaceRefused =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    // The entry itself, a link's own stamp rather than its target's.
    const HANDLE handle =
        ::CreateFileW(wide.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        info.stamp = StampOfHandle(handle).value_or(FileStamp{});
        ::CloseHandle(handle);
    }
    return info;
}

EntryKind KindAt(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data)) {
        return EntryKind::kMissing;
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        return EntryKind::kLink;
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        return EntryKind::kFolder;
    }
    return EntryKind::kRegular;
}

bool HoldsNameDelimiter(const std::string& name) {
    return name.find_first_of("/\\:") != std::string::npos;
}

bool IsDeviceName(const std::string& name) {
    return IsReservedDeviceName(name);
}

StreamPath StreamPathOf(const std::string& path, EntryKind& kind) {
    if (IsDevicePath(path)) {
        kind = EntryKind::kCharDevice;
        return StreamPath::kStream;
    }
    kind = KindAt(path);
    return StreamPath::kNone;
}

UniqueFd OpenStream(const std::string& path, StreamPath, EntryKind) {
    const HANDLE handle =
        ::CreateFileW(Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        ThrowIoErrorFromLastError(path);
    }
    return UniqueFd(AdoptHandle(handle, path));
}

UniqueFd DuplicateStandardOutput() {
    std::fflush(stdout);
    const int fd = ::_dup(_fileno(stdout));
    if (fd < 0) {
        ThrowIoErrorFromErrno(errno, "standard output");
    }
    ::_setmode(fd, _O_BINARY);
    return UniqueFd(fd);
}

UniqueFd CreateNew(const EntryRef& entry, const std::string& shown) {
    // Made in the folder held open, whatever its path has come to mean.
    wchar_t folder[MAX_PATH * 4];
    const DWORD length = ::GetFinalPathNameByHandleW(HandleOf(entry.folder), folder, MAX_PATH * 4,
                                                     FILE_NAME_NORMALIZED);
    if (length == 0 || length >= MAX_PATH * 4) {
        ThrowIoErrorFromLastError(shown);
    }
    const std::wstring path = std::wstring(folder, length) + L"\\" + Widen(entry.name);
    const HANDLE handle =
        ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, kShareForWriting, nullptr,
                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
            return {};
        }
        ThrowIoErrorFromWindowsError(error, shown);
    }
    return UniqueFd(AdoptHandle(handle, shown));
}

void CarryOver(const EntryRef&, int, const std::string&) {
    // A new file takes the folder's inherited ACL, as Explorer's copies do.
}

void SyncData(int fd, const std::string& shown) {
    if (!::FlushFileBuffers(HandleOf(fd))) {
        ThrowIoErrorFromLastError(shown);
    }
}

void SyncFolder(int, const std::string&) {
    // MOVEFILE_WRITE_THROUGH has the rename written before the move returns.
}

Renamed Rename(const EntryRef& from, const EntryRef& to, bool noReplace, bool waitForReaders,
               const std::string& shown) {
    const DWORD flags =
        noReplace ? MOVEFILE_WRITE_THROUGH : MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    const std::wstring fromPath = Widen(from.path);
    const std::wstring toPath = Widen(to.path);
    DWORD error = ERROR_SUCCESS;
    // A program reading the package (another edit among them, before it lets
    // go of it) keeps it from being replaced; such reads are short.
    for (int tries = waitForReaders ? 40 : 1; tries > 0; --tries) {
        if (::MoveFileExW(fromPath.c_str(), toPath.c_str(), flags)) {
            return Renamed::kDone;
        }
        error = ::GetLastError();
        if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) {
            break;
        }
        ::Sleep(25);
    }
    if (noReplace && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)) {
        return Renamed::kTargetExists;
    }
    if (KindAt(to.path) == EntryKind::kFolder) {
        return Renamed::kTargetIsFolder;
    }
    ThrowIoErrorFromWindowsError(error, shown);
}

void RemoveQuietly(const EntryRef& entry) noexcept {
    ::DeleteFileW(Widen(entry.path).c_str());
}

void SetReplaceRefused(const EntryRef& entry, bool refused, const std::string& shown) {
    const std::wstring wide = Widen(entry.path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        ThrowIoErrorFromLastError(shown);
    }
    const DWORD wanted = refused ? attributes | FILE_ATTRIBUTE_READONLY
                                 : attributes & ~DWORD{FILE_ATTRIBUTE_READONLY};
    if (wanted != attributes && !::SetFileAttributesW(wide.c_str(), wanted)) {
        ThrowIoErrorFromLastError(shown);
    }
}

std::uint64_t RandomSeed() {
    return std::random_device{}() ^ static_cast<std::uint64_t>(::GetCurrentProcessId()) << 32;
}

FileStamp StampOfOpen(int fd, const std::string& shown) {
    const std::optional<FileStamp> stamp = StampOfHandle(HandleOf(fd));
    if (!stamp) {
        ThrowIoErrorFromLastError(shown);
    }
    return *stamp;
}

std::optional<FileStamp> StampOfPath(const std::string& path) {
    const HANDLE handle = ::CreateFileW(Widen(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    const std::optional<FileStamp> stamp = StampOfHandle(handle);
    ::CloseHandle(handle);
    return stamp;
}

}  // namespace lumigram::sys
