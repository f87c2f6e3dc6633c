// The output layer on Windows. The guarantees are those of the other systems
// as far as Windows' API allows:
// - A temporary beside the target is written whole, then moved over it with
//   MoveFileExW(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH); without
//   MOVEFILE_REPLACE_EXISTING when existing files are to be left alone, so the
//   refusal holds even for a name that appears after the check. A failed move
//   leaves the earlier file as it was, and the temporary is removed.
// - Windows creates and renames files by path only, never relative to a
//   folder handle. An output folder is therefore held open without delete
//   sharing for as long as it is in use, which stops it from being renamed or
//   removed (and so swapped for a link) meanwhile; its files are then reached
//   by its path.
// - A read-only target, or one another program holds open without delete
//   sharing, cannot be replaced: "File access denied", the earlier file whole.
// - Device names (CON, NUL, COM1, ...) are devices, like FIFOs elsewhere.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <random>

#include "platform/entry_kind.h"
#include "platform/fault_injection.h"
#include "platform/io_error.h"
#include "platform/output_file.h"
#include "platform/path.h"
#include "platform/wide_text.h"
#include "platform/windows_names.h"

namespace lumigram {
namespace {

constexpr std::string_view kTemporaryPrefix = ".lumigram-";

std::string TemporaryName() {
    static thread_local std::mt19937_64 generator(
        std::random_device{}() ^ static_cast<std::uint64_t>(::GetCurrentProcessId()) << 32);
    static constexpr char kDigits[] =
        "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string name(kTemporaryPrefix);
    std::uint64_t bits = generator();
    for (int i = 0; i < 6; ++i, bits /= 62) {
        name += kDigits[bits % 62];
    }
    return name;
}

std::optional<FileIdentity> IdentityOfHandle(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) {
        return std::nullopt;
    }
    return FileIdentity{
        info.dwVolumeSerialNumber,
        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

// What stands at path, without following a link at the end of it.
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

bool IsDevicePath(const std::string& path) {
    return path.starts_with("\\\\.\\") || IsReservedDeviceName(ExtractFileName(path));
}

}  // namespace

FileIdentity IdentityOf(const ByteFile& file) {
    const auto identity =
        IdentityOfHandle(reinterpret_cast<HANDLE>(::_get_osfhandle(file.descriptor())));
    if (!identity) {
        ThrowIoErrorFromLastError(file.path());
    }
    return *identity;
}

std::optional<FileIdentity> IdentityOfPath(const std::string& path) {
    const HANDLE handle = ::CreateFileW(
        Widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    const auto identity = IdentityOfHandle(handle);
    ::CloseHandle(handle);
    return identity;
}

OutputFolder OutputFolder::Open(const std::string& path) {
    const std::string shown = path.empty() ? std::string(".") : path;
    // Shared for reading and writing, not for deleting: the folder stays where
    // it is while outputs go into it.
    const HANDLE handle =
        ::CreateFileW(Widen(shown).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            throw IoError(IoCode::kFileNotFound, shown, "folder not found");
        }
        ThrowIoErrorFromWindowsError(error, shown);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        ::CloseHandle(handle);
        throw IoError(IoCode::kFileNotFound, shown, "is not a folder");
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY);
    if (fd < 0) {
        ::CloseHandle(handle);
        ThrowIoErrorFromErrno(EMFILE, shown);
    }
    return OutputFolder(UniqueFd(fd), path);
}

OutputFolder OutputFolder::OpenCreating(const std::string& path) {
    std::string part;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        // "C:" ends no folder: the drive is there or not.
        if (i == path.size() || (IsPathDelimiter(path[i]) && path[i] != ':' && i > 0)) {
            part = path.substr(0, i);
            // A drive ("C:") or a root needs no making; a part that exists as a
            // folder (made meanwhile, or a share) is fine.
            if (part.empty() || part.back() == ':' || IsPathDelimiter(part.back()) ||
                ::CreateDirectoryW(Widen(part).c_str(), nullptr)) {
                continue;
            }
            const DWORD error = ::GetLastError();
            const EntryKind kind = KindAt(part);
            if (kind == EntryKind::kFolder) {
                continue;
            }
            if (error == ERROR_ALREADY_EXISTS) {
                throw IoError(IoCode::kFileNotFound, part, "is not a folder");
            }
            ThrowIoErrorFromWindowsError(error, part);
        }
    }
    return Open(path);
}

void OutputFolder::ListEntriesOnce() {
    if (entries_) {
        return;
    }
    WIN32_FIND_DATAW found{};
    const HANDLE search =
        ::FindFirstFileExW(Widen(PathOf("*")).c_str(), FindExInfoBasic, &found,
                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        return;  // no listing: every name is looked at
    }
    std::unordered_set<std::string> names;
    do {
        names.emplace(Narrow(found.cFileName));
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    entries_ = std::move(names);
}

bool OutputFolder::MayHold(const std::string& name) const {
    return !entries_ || entries_->contains(name);
}

bool OutputFolder::Holds(const std::string& name) const {
    return KindAt(PathOf(name)) != EntryKind::kMissing;
}

std::string OutputFolder::PathOf(std::string_view name) const {
    if (path_.empty()) {
        return std::string(name);
    }
    return IsPathDelimiter(path_.back()) ? path_ + std::string(name) : JoinPath(path_, name);
}

OutputFile::OutputFile(const OutputFolder& folder, const std::string& name,
                       const OutputRules& rules)
    : folder_(folder.descriptor()),
      mayExist_(folder.MayHold(name)),
      name_(name),
      shownPath_(folder.PathOf(name)) {
    Begin(rules);
}

OutputFile::OutputFile(OwnFolderTag, OutputFolder folder, const std::string& path)
    : ownFolder_(std::move(folder)), name_(ExtractFileName(path)), shownPath_(path) {
    folder_ = ownFolder_->descriptor();
}

OutputFile::OutputFile(StreamTag, ByteFile stream) : shownPath_(stream.path()) {
    file_.emplace(std::move(stream));
}

namespace {

// The temporary sits beside the target: the target's folder part, then its name.
std::string TemporaryPathFor(const std::string& target, const std::string& temporaryName) {
    return ExtractFilePath(target) + temporaryName;
}

}  // namespace

void OutputFile::Begin(const OutputRules& rules) {
    if (name_.empty() || name_ == "." || name_ == ".." ||
        name_.find_first_of("/\\:") != std::string::npos) {
        throw IoError(IoCode::kInvalidFilename, shownPath_);
    }
    if (IsReservedDeviceName(name_)) {
        throw IoError(IoCode::kFileAccessDenied, shownPath_,
                      NotARegularFileText(EntryKind::kCharDevice));
    }
    noReplace_ = rules.keepExisting;
    const EntryKind kind = mayExist_ ? KindAt(shownPath_) : EntryKind::kMissing;
    if (kind == EntryKind::kFolder) {
        throw IoError(IoCode::kFileAccessDenied, shownPath_, NotARegularFileText(kind));
    }
    if (kind != EntryKind::kMissing) {
        if (rules.keepExisting) {
            throw IoError(IoCode::kFileAccessDenied, shownPath_, "already exists, left alone");
        }
        // Windows refuses to move anything over a read-only file; said before
        // anything is written, and the same under every file system.
        const DWORD attributes = ::GetFileAttributesW(Widen(shownPath_).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
            throw IoError(IoCode::kFileAccessDenied, shownPath_);
        }
        if (kind == EntryKind::kRegular && !rules.inputs.empty()) {
            if (const auto existing = IdentityOfPath(shownPath_)) {
                for (const FileIdentity& input : rules.inputs) {
                    if (input == *existing) {
                        throw IoError(IoCode::kFileAccessDenied, shownPath_,
                                      "is one of the files being read, not replaced");
                    }
                }
            }
        }
    }

    for (int attempt = 0;; ++attempt) {
        std::string candidate = TemporaryName();
        try {
            // Made in the folder held open, under the target's name in messages.
            file_.emplace(ByteFile::CreateExclusiveAt(folder_, candidate, shownPath_));
            temporaryName_ = std::move(candidate);
            break;
        } catch (const IoError& error) {
            // A name taken by someone else is tried again; anything else is
            // real, and told of the target, never of the temporary.
            const bool taken = error.code() == IoCodeFromWindowsError(ERROR_FILE_EXISTS) ||
                               error.code() == IoCodeFromWindowsError(ERROR_ALREADY_EXISTS);
            if (attempt >= 16 || !taken) {
                if (error.path() == shownPath_) {
                    throw;
                }
                throw IoError(error.code(), shownPath_, error.what());
            }
        }
    }
    cleanup_.emplace(folder_, temporaryName_);
}

std::unique_ptr<OutputFile> OutputFile::ForPath(const std::string& path, bool streamsAllowed,
                                                const OutputRules& rules) {
    if (path.empty()) {
        throw IoError(IoCode::kInvalidFilename, path, "no file name given");
    }
    if (streamsAllowed && path == "-") {
        std::fflush(stdout);
        const int fd = ::_dup(_fileno(stdout));
        if (fd < 0) {
            ThrowIoErrorFromErrno(errno, "standard output");
        }
        ::_setmode(fd, _O_BINARY);
        return std::unique_ptr<OutputFile>(
            new OutputFile(StreamTag{}, ByteFile::AdoptStream(fd, "standard output")));
    }
    if (IsDevicePath(path)) {
        if (!streamsAllowed) {
            throw IoError(IoCode::kFileAccessDenied, path,
                          NotARegularFileText(EntryKind::kCharDevice));
        }
        if (const int err = InjectedFault(IoOp::kCreate)) {
            ThrowIoErrorFromErrno(err, path);
        }
        const HANDLE handle =
            ::CreateFileW(Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            ThrowIoErrorFromLastError(path);
        }
        const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
        if (fd < 0) {
            ::CloseHandle(handle);
            ThrowIoErrorFromErrno(EMFILE, path);
        }
        return std::unique_ptr<OutputFile>(
            new OutputFile(StreamTag{}, ByteFile::AdoptStream(fd, path)));
    }
    if (KindAt(path) == EntryKind::kFolder) {
        throw IoError(IoCode::kFileAccessDenied, path, "is a folder");
    }
    const std::string folderPart = ExtractFilePath(path);
    const std::string name = ExtractFileName(path);
    if (name.empty()) {
        throw IoError(IoCode::kFileAccessDenied, path, "is a folder");
    }
    std::optional<OutputFolder> folder;
    try {
        folder.emplace(OutputFolder::Open(folderPart));
    } catch (const IoError& error) {
        if (std::string_view(error.what()) == "folder not found") {
            throw IoError(IoCode::kFileNotFound, path,
                          "the folder \"" + folderPart + "\" does not exist");
        }
        if (error.code() == IoCode::kFileNotFound) {
            throw IoError(IoCode::kFileNotFound, path, "\"" + folderPart + "\" " + error.what());
        }
        throw IoError(error.code(), path, error.what());
    }
    auto output =
        std::unique_ptr<OutputFile>(new OutputFile(OwnFolderTag{}, std::move(*folder), path));
    output->Begin(rules);
    return output;
}

OutputFile::~OutputFile() {
    if (!committed_ && !temporaryName_.empty()) {
        file_.reset();
        ::DeleteFileW(Widen(TemporaryPathFor(shownPath_, temporaryName_)).c_str());
    }
}

void OutputFile::Commit() {
    file_->Close();
    if (temporaryName_.empty()) {
        committed_ = true;  // a stream: nothing to rename
        return;
    }
    if (const int err = InjectedFault(IoOp::kRename)) {
        ThrowIoErrorFromErrno(err, shownPath_);
    }
    const DWORD flags =
        noReplace_ ? MOVEFILE_WRITE_THROUGH : MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    if (!::MoveFileExW(Widen(TemporaryPathFor(shownPath_, temporaryName_)).c_str(),
                       Widen(shownPath_).c_str(), flags)) {
        const DWORD error = ::GetLastError();
        if (noReplace_ && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)) {
            throw IoError(IoCode::kFileAccessDenied, shownPath_, "already exists, left alone");
        }
        if (KindAt(shownPath_) == EntryKind::kFolder) {
            throw IoError(IoCode::kFileAccessDenied, shownPath_, "is a folder");
        }
        ThrowIoErrorFromWindowsError(error, shownPath_);
    }
    committed_ = true;
    cleanup_.reset();
}

void WriteWholeOutput(const std::string& path, std::span<const std::uint8_t> bytes,
                      bool streamsAllowed, const OutputRules& rules) {
    const std::unique_ptr<OutputFile> output = OutputFile::ForPath(path, streamsAllowed, rules);
    output->file().Write(bytes);
    output->Commit();
}

}  // namespace lumigram
