#include "platform/output_file.h"

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

#include "platform/entry_kind.h"
#include "platform/fault_injection.h"
#include "platform/io_error.h"
#include "platform/path.h"

namespace lumigram {
namespace {

constexpr std::string_view kTemporaryPrefix = ".lumigram-";

// One system call on Linux; std::random_device would first probe the
// processor for its random-number instructions, at every start.
std::uint64_t RandomSeed() {
#ifdef __linux__
    std::uint64_t seed = 0;
    if (::getrandom(&seed, sizeof seed, GRND_NONBLOCK) == static_cast<ssize_t>(sizeof seed)) {
        return seed;
    }
#endif
    return std::random_device{}();
}

// renameat2 with RENAME_NOREPLACE: fails with EEXIST when to exists.
int RenameNoReplace(int folder, const char* from, const char* to) {
#ifdef __EMSCRIPTEN__
    // No renameat2 there; its in-memory file system has a single user, so
    // nothing can appear between this check and the rename.
    struct stat existing {};
    if (::fstatat(folder, to, &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::renameat(folder, from, folder, to);
#else
    return ::renameat2(folder, from, folder, to, RENAME_NOREPLACE);
#endif
}

// Six letters or digits: short and of fixed length, so a temporary fits beside
// any name the file system allows.
std::string TemporaryName() {
    // Seeded once: a generator built per name would cost more than the write
    // of a small member.
    static thread_local std::mt19937_64 generator(RandomSeed() ^
                                                  static_cast<std::uint64_t>(::getpid()) << 32);
    static constexpr char kDigits[] =
        "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string name(kTemporaryPrefix);
    std::uint64_t bits = generator();
    for (int i = 0; i < 6; ++i, bits /= 62) {
        name += kDigits[bits % 62];
    }
    return name;
}

FileIdentity IdentityOfStat(const struct ::stat& st) {
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev),
                        static_cast<std::uint64_t>(st.st_ino)};
}

// The system's names for this process's own descriptors ("/dev/stdout",
// "/dev/fd/1"): whatever they lead to (a terminal, a pipe, a file the shell
// redirected to), they are written through, never replaced. Every other link
// is replaced, wherever it points.
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

}  // namespace

FileIdentity IdentityOf(const ByteFile& file) {
    struct ::stat st {};
    if (::fstat(file.descriptor(), &st) != 0) {
        ThrowIoErrorFromErrno(errno, file.path());
    }
    return IdentityOfStat(st);
}

std::optional<FileIdentity> IdentityOfPath(const std::string& path) {
    struct ::stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return IdentityOfStat(st);
}

OutputFolder OutputFolder::Open(const std::string& path) {
    const std::string shown = path.empty() ? std::string(".") : path;
    int fd;
    do {
        fd = ::open(shown.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int err = errno;
        if (err == ENOENT) {
            throw IoError(IoCode::kFileNotFound, shown, "folder not found");
        }
        if (err == ENOTDIR) {
            throw IoError(IoCode::kFileNotFound, shown, "is not a folder");
        }
        ThrowIoErrorFromErrno(err, shown);
    }
    return OutputFolder(UniqueFd(fd), path);
}

OutputFolder OutputFolder::OpenCreating(const std::string& path) {
    // Each missing part is made in turn; one that appears meanwhile is fine.
    std::string part;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || (IsPathDelimiter(path[i]) && i > 0)) {
            part = path.substr(0, i);
            if (!part.empty() && ::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
                const int err = errno;
                if (err == ENOTDIR) {
                    throw IoError(IoCode::kFileNotFound, part, "is not a folder");
                }
                ThrowIoErrorFromErrno(err, part);
            }
        }
    }
    return Open(path);
}

void OutputFolder::ListEntriesOnce() {
    if (entries_) {
        return;
    }
    const int fd = ::openat(fd_.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* listing = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (listing == nullptr) {
        if (fd >= 0) {
            ::close(fd);
        }
        return;  // no listing: every name is looked at
    }
    std::unordered_set<std::string> names;
    while (const dirent* entry = ::readdir(listing)) {
        names.emplace(entry->d_name);
    }
    ::closedir(listing);
    entries_ = std::move(names);
}

bool OutputFolder::MayHold(const std::string& name) const {
    return !entries_ || entries_->contains(name);
}

bool OutputFolder::Holds(const std::string& name) const {
    struct ::stat st {};
    return ::fstatat(fd_.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
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

void OutputFile::Begin(const OutputRules& rules) {
    if (name_.empty() || name_ == "." || name_ == ".." || name_.find('/') != std::string::npos) {
        throw IoError(IoCode::kInvalidFilename, shownPath_);
    }
    noReplace_ = rules.keepExisting;
    struct ::stat existing {};
    bool replacing = false;
    if (!mayExist_) {
        // Listed absent when the folder was opened.
    } else if (::fstatat(folder_, name_.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        const EntryKind kind = EntryKindOfMode(existing.st_mode);
        if (kind != EntryKind::kRegular && kind != EntryKind::kLink) {
            throw IoError(IoCode::kFileAccessDenied, shownPath_, NotARegularFileText(kind));
        }
        if (rules.keepExisting) {
            throw IoError(IoCode::kFileAccessDenied, shownPath_, "already exists, left alone");
        }
        for (const FileIdentity& input : rules.inputs) {
            if (kind == EntryKind::kRegular && input == IdentityOfStat(existing)) {
                throw IoError(IoCode::kFileAccessDenied, shownPath_,
                              "is one of the files being read, not replaced");
            }
        }
        replacing = kind == EntryKind::kRegular;
    } else if (errno != ENOENT) {
        ThrowIoErrorFromErrno(errno, shownPath_);
    }

    for (int attempt = 0;; ++attempt) {
        std::string candidate = TemporaryName();
        try {
            file_.emplace(ByteFile::CreateExclusiveAt(folder_, candidate, shownPath_));
            temporaryName_ = std::move(candidate);
            break;
        } catch (const IoError& error) {
            // A name taken by someone else is tried again; anything else is real.
            if (attempt >= 16 || error.code() != IoCodeFromErrno(EEXIST)) {
                throw;
            }
        }
    }
    cleanup_.emplace(folder_, temporaryName_);

    if (replacing) {
        const int fd = file_->descriptor();
        // Owner first: a change of owner clears set-id bits that chmod then restores.
        if (::geteuid() == 0) {
            (void)::fchown(fd, existing.st_uid, existing.st_gid);
        }
        if (::fchmod(fd, existing.st_mode & 07777) != 0) {
            ThrowIoErrorFromErrno(errno, shownPath_);
        }
    }
}

std::unique_ptr<OutputFile> OutputFile::ForPath(const std::string& path, bool streamsAllowed,
                                                const OutputRules& rules) {
    if (path.empty()) {
        throw IoError(IoCode::kInvalidFilename, path, "no file name given");
    }
    if (streamsAllowed && path == "-") {
        const int fd = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
        if (fd < 0) {
            ThrowIoErrorFromErrno(errno, "standard output");
        }
        return std::unique_ptr<OutputFile>(
            new OutputFile(StreamTag{}, ByteFile::AdoptStream(fd, "standard output")));
    }
    // What stands at the path itself, links not followed: only a FIFO or a
    // character device named directly is written into.
    struct ::stat st {};
    const bool exists = ::lstat(path.c_str(), &st) == 0;
    const EntryKind kind = exists ? EntryKindOfMode(st.st_mode) : EntryKind::kMissing;
    const bool streamKind = kind == EntryKind::kFifo || kind == EntryKind::kCharDevice;
    const bool descriptorName = IsOwnDescriptorName(path);
    if (streamsAllowed && (streamKind || descriptorName)) {
        if (const int err = InjectedFault(IoOp::kCreate)) {
            ThrowIoErrorFromErrno(err, path);
        }
        int fd;
        do {
            fd = ::open(path.c_str(),
                        O_WRONLY | O_NOCTTY | O_CLOEXEC | (descriptorName ? 0 : O_NOFOLLOW));
        } while (fd < 0 && errno == EINTR);
        if (fd < 0) {
            ThrowIoErrorFromErrno(errno, path);
        }
        struct ::stat opened {};
        // The name was looked at before the open: what was opened must still
        // be a stream, or what the descriptor name stands for.
        if (::fstat(fd, &opened) != 0 ||
            (!descriptorName && EntryKindOfMode(opened.st_mode) != kind)) {
            ::close(fd);
            throw IoError(IoCode::kFileAccessDenied, path, "changed while it was being opened");
        }
        return std::unique_ptr<OutputFile>(
            new OutputFile(StreamTag{}, ByteFile::AdoptStream(fd, path)));
    }
    if (descriptorName) {
        throw IoError(IoCode::kFileAccessDenied, path,
                      "stands for an open descriptor, never replaced");
    }
    if (kind == EntryKind::kFolder) {
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
        // Which folder is missing, not merely that the file was not found.
        if (std::string_view(error.what()) == "folder not found") {
            throw IoError(IoCode::kFileNotFound, path,
                          "the folder \"" + folderPart + "\" does not exist");
        }
        if (error.code() == IoCode::kFileNotFound) {
            throw IoError(IoCode::kFileNotFound, path, "\"" + folderPart + "\" " + error.what());
        }
        throw IoError(error.code(), path, error.what());
    }
    // The file keeps its folder open for as long as it lives.
    auto output =
        std::unique_ptr<OutputFile>(new OutputFile(OwnFolderTag{}, std::move(*folder), path));
    output->Begin(rules);
    return output;
}

OutputFile::~OutputFile() {
    if (!committed_ && !temporaryName_.empty()) {
        file_.reset();
        ::unlinkat(folder_, temporaryName_.c_str(), 0);
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
    // Left alone means left alone even when the name appears after the check.
    const int renamed = noReplace_
                            ? RenameNoReplace(folder_, temporaryName_.c_str(), name_.c_str())
                            : ::renameat(folder_, temporaryName_.c_str(), folder_, name_.c_str());
    if (renamed != 0) {
        const int err = errno;
        if (noReplace_ && err == EEXIST) {
            throw IoError(IoCode::kFileAccessDenied, shownPath_, "already exists, left alone");
        }
        if (err == EISDIR || err == ENOTEMPTY || err == EEXIST) {
            throw IoError(IoCode::kFileAccessDenied, shownPath_, "is a folder");
        }
        ThrowIoErrorFromErrno(err, shownPath_);
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
