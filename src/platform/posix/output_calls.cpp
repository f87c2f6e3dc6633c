// The output layer's system calls on POSIX: everything relative to the open
// folder's descriptor (openat, fstatat, renameat), so that a folder swapped
// for a link halfway through a run redirects nothing.
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#ifdef __linux__
#include <sys/random.h>
#endif

#include "platform/io_error.h"
#include "platform/system_calls.h"

namespace lumigram::sys {
namespace {

FileStamp StampOfStat(const struct ::stat& st) {
    constexpr std::int64_t kNanoseconds = 1000000000;
    return FileStamp{
        FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)},
        static_cast<std::uint64_t>(st.st_size),
        static_cast<std::int64_t>(st.st_mtim.tv_sec) * kNanoseconds + st.st_mtim.tv_nsec,
        static_cast<std::int64_t>(st.st_ctim.tv_sec) * kNanoseconds + st.st_ctim.tv_nsec,
    };
}

// The system's names for this process's own descriptors ("/dev/stdout",
// "/dev/fd/1"): whatever they lead to (a terminal, a pipe, a file the shell
// redirected to), they are written through, never replaced.
bool IsOwnDescriptorName(const std::string& path) {
    if (path == "/dev/stdout" || path == "/dev/stderr") {
        return true;
    }
    for (const std::string_view prefix : {"/dev/fd/", "/proc/self/fd/"}) {
        if (path.starts_with(prefix) && path.size() > prefix.size() &&
            path.find_first_not_of("0123456789", prefix.size()) == std::string::npos) {
            return true;
        }
    }
    return false;
}

int OpenRetrying(const char* path, int flags) {
    int fd;
    do {
        fd = ::open(path, flags);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

}  // namespace

FolderOpened OpenFolder(const std::string& path, UniqueFd& folder) {
    const int fd = OpenRetrying(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        if (err == ENOENT) {
            return FolderOpened::kMissing;
        }
        if (err == ENOTDIR) {
            return FolderOpened::kNotAFolder;
        }
        ThrowIoErrorFromErrno(err, path);
    }
    folder = UniqueFd(fd);
    return FolderOpened::kOpened;
}

FolderMade MakeFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) == 0) {
        return FolderMade::kMade;
    }
    const int err = errno;
    if (err == EEXIST) {
        return FolderMade::kExisted;  // a file there is found when the folder is opened
    }
    if (err == ENOTDIR) {
        return FolderMade::kNotAFolder;
    }
    ThrowIoErrorFromErrno(err, path);
}

bool NeedsNoMaking(const std::string& part) {
    return part.empty();
}

std::optional<std::unordered_set<std::string>> ListNames(int folder, const std::string&) {
    const int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* listing = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (listing == nullptr) {
        if (fd >= 0) {
            ::close(fd);
        }
        return std::nullopt;
    }
    std::unordered_set<std::string> names;
    while (const dirent* entry = ::readdir(listing)) {
        names.emplace(entry->d_name);
    }
    ::closedir(listing);
    return names;
}

EntryInfo LookAt(const EntryRef& entry, const std::string& shown) {
    struct ::stat st {};
    if (::fstatat(entry.folder, entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) {
            return {};
        }
        ThrowIoErrorFromErrno(errno, shown);
    }
    return EntryInfo{EntryKindOfMode(st.st_mode), StampOfStat(st), false};
}

EntryKind KindAt(const std::string& path) {
    struct ::stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? EntryKindOfMode(st.st_mode) : EntryKind::kMissing;
}

bool HoldsNameDelimiter(const std::string& name) {
    return name.find('/') != std::string::npos;
}

bool IsDeviceName(const std::string&) {
    return false;
}

StreamPath StreamPathOf(const std::string& path, EntryKind& kind) {
    // What stands at the path itself, links not followed: only a FIFO or a
    // character device named directly is written into.
    kind = KindAt(path);
    if (IsOwnDescriptorName(path)) {
        return StreamPath::kOwnDescriptor;
    }
    return kind == EntryKind::kFifo || kind == EntryKind::kCharDevice ? StreamPath::kStream
                                                                      : StreamPath::kNone;
}

UniqueFd OpenStream(const std::string& path, StreamPath how, EntryKind kind) {
    const bool descriptorName = how == StreamPath::kOwnDescriptor;
    const int fd = OpenRetrying(
        path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | (descriptorName ? 0 : O_NOFOLLOW));
    if (fd < 0) {
        ThrowIoErrorFromErrno(errno, path);
    }
    UniqueFd opened(fd);
    struct ::stat st {};
    // The name was looked at before the open: what was opened must still be a
    // stream, or what the descriptor name stands for.
    if (::fstat(fd, &st) != 0 || (!descriptorName && EntryKindOfMode(st.st_mode) != kind)) {
        throw IoError(IoCode::kFileAccessDenied, path, "changed while it was being opened");
    }
    return opened;
}

UniqueFd DuplicateStandardOutput() {
    const int fd = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) {
        ThrowIoErrorFromErrno(errno, "standard output");
    }
    return UniqueFd(fd);
}

UniqueFd CreateNew(const EntryRef& entry, const std::string& shown) {
    int fd;
    do {
        fd = ::openat(entry.folder, entry.name.c_str(),
                      O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (errno == EEXIST) {
            return {};
        }
        ThrowIoErrorFromErrno(errno, shown);
    }
    return UniqueFd(fd);
}

void SyncData(int fd, const std::string& shown) {
    int result;
    do {
        result = ::fdatasync(fd);
    } while (result != 0 && errno == EINTR);
    // EINVAL: a file that cannot be synced at all (no device behind it).
    if (result != 0 && errno != EINVAL) {
        ThrowIoErrorFromErrno(errno, shown);
    }
}

void SyncFolder(int folder, const std::string& shown) {
    if (::fsync(folder) != 0) {
        const int err = errno;
        // Folders some file systems cannot sync, or not through a read-only
        // descriptor: nothing more can be done there, and nothing was lost.
        if (err == EIO || err == ENOSPC) {
            ThrowIoErrorFromErrno(err, shown);
        }
    }
}

Renamed Rename(const EntryRef& from, const EntryRef& to, bool noReplace, bool,
               const std::string& shown) {
    int renamed;
    if (noReplace) {
#ifdef __EMSCRIPTEN__
        // No renameat2 there; its in-memory file system has a single user, so
        // nothing can appear between this check and the rename.
        struct ::stat existing {};
        if (::fstatat(to.folder, to.name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
            return Renamed::kTargetExists;
        }
        renamed = ::renameat(from.folder, from.name.c_str(), to.folder, to.name.c_str());
#else
        renamed = ::renameat2(from.folder, from.name.c_str(), to.folder, to.name.c_str(),
                              RENAME_NOREPLACE);
#endif
    } else {
        renamed = ::renameat(from.folder, from.name.c_str(), to.folder, to.name.c_str());
    }
    if (renamed == 0) {
        return Renamed::kDone;
    }
    const int err = errno;
    if (noReplace && err == EEXIST) {
        return Renamed::kTargetExists;
    }
    if (err == EISDIR || err == ENOTEMPTY || err == EEXIST) {
        return Renamed::kTargetIsFolder;
    }
    ThrowIoErrorFromErrno(err, shown);
}

void RemoveQuietly(const EntryRef& entry) noexcept {
    ::unlinkat(entry.folder, entry.name.c_str(), 0);
}

void SetReplaceRefused(const EntryRef&, bool, const std::string&) {
    // A rename replaces any file the folder lets this user change; the mode
    // of a write-protected one is carried over like any other.
}

// One system call on Linux; std::random_device would first probe the
// processor for its random-number instructions, at every start.
std::uint64_t RandomSeed() {
    std::uint64_t seed = 0;
#ifdef __linux__
    if (::getrandom(&seed, sizeof seed, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof seed)) {
        seed = std::random_device{}();
    }
#else
    seed = std::random_device{}();
#endif
    return seed ^ static_cast<std::uint64_t>(::getpid()) << 32;
}

FileStamp StampOfOpen(int fd, const std::string& shown) {
    struct ::stat st {};
    if (::fstat(fd, &st) != 0) {
        ThrowIoErrorFromErrno(errno, shown);
    }
    return StampOfStat(st);
}

std::optional<FileStamp> StampOfPath(const std::string& path) {
    struct ::stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return StampOfStat(st);
}

}  // namespace lumigram::sys
