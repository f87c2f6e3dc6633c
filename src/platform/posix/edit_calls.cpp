// The system calls of edits in place on POSIX: links followed to the file
// they name, the write-protection test, the edit lock and what a replaced
// file hands on to its successor.
//
// The edit lock is flock() on the package file itself. The kernel drops it
// when its holder ends, however it ends (kill -9 included), so no package is
// ever left locked; it needs no file of its own beside the package (nothing
// stray on a phone's memory card) and no write access, so a lock on a
// read-only file system works and the write then fails on its own; Linux
// carries it to NFS servers as a byte-range lock, and FUSE file systems keep
// it in the kernel. Readers take no lock, so they never wait.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <vector>

#ifdef __linux__
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#endif

#include "platform/io_error.h"
#include "platform/path.h"
#include "platform/system_calls.h"

namespace lumigram::sys {
namespace {

// Attributes, modes and owners a file system has no place for: FAT, many
// network and FUSE file systems. The file is written without them.
bool CannotKeep(int err) {
    return err == ENOSYS || err == EPERM || err == EOPNOTSUPP || err == ENOTSUP;
}

#ifdef __linux__
// Who holds the flock() of a file, from the kernel's table of locks:
// "1: FLOCK  ADVISORY  WRITE 4711 08:02:131090 0 EOF" (waiters' lines carry
// "->"). "lumigram-cli, process 4711", or empty when nobody can be named.
std::string LockHolderOf(const struct ::stat& locked) {
    std::ifstream table("/proc/locks");
    char device[64];
    std::snprintf(device, sizeof device, "%02x:%02x:%llu", ::major(locked.st_dev),
                  ::minor(locked.st_dev), static_cast<unsigned long long>(locked.st_ino));
    std::string line;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string number, type, mode, access, where;
        long pid = 0;
        if (!(fields >> number >> type) || type != "FLOCK" ||
            !(fields >> mode >> access >> pid >> where) || where != device || pid <= 0) {
            continue;
        }
        std::string name;
        std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
        std::getline(comm, name);
        return (name.empty() ? std::string() : name + ", ") + "process " + std::to_string(pid);
    }
    return {};
}

void CarryOverAttributes(int from, int to, const std::string& shown) {
    const ssize_t listed = ::flistxattr(from, nullptr, 0);
    if (listed <= 0) {
        if (listed < 0 && !CannotKeep(errno)) {
            ThrowIoErrorFromErrno(errno, shown);
        }
        return;
    }
    std::vector<char> names(static_cast<std::size_t>(listed));
    const ssize_t got = ::flistxattr(from, names.data(), names.size());
    if (got < 0) {
        return;  // changed meanwhile: what was there is not ours to guess
    }
    std::vector<char> value;
    for (std::size_t at = 0; at < static_cast<std::size_t>(got);) {
        const char* name = names.data() + at;
        at += std::char_traits<char>::length(name) + 1;
        const ssize_t size = ::fgetxattr(from, name, nullptr, 0);
        if (size < 0) {
            continue;  // gone meanwhile, or not ours to read
        }
        value.resize(static_cast<std::size_t>(size));
        const ssize_t read = ::fgetxattr(from, name, value.data(), value.size());
        if (read < 0) {
            continue;
        }
        if (::fsetxattr(to, name, value.data(), static_cast<std::size_t>(read), 0) != 0 &&
            !CannotKeep(errno)) {
            ThrowIoErrorFromErrno(errno, shown);
        }
    }
}
#endif

}  // namespace

void CarryOver(const EntryRef& replaced, int temporary, const std::string& shown) {
    struct ::stat st {};
    if (::fstatat(replaced.folder, replaced.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(st.st_mode)) {
        return;  // gone meanwhile: nothing to carry over
    }
    // Owner first: a change of owner clears set-id bits that chmod then restores.
    if (::geteuid() == 0) {
        (void)::fchown(temporary, st.st_uid, st.st_gid);
    }
    if (::fchmod(temporary, st.st_mode & 07777) != 0 && !CannotKeep(errno)) {
        ThrowIoErrorFromErrno(errno, shown);
    }
#ifdef __linux__
    // After the mode: an access ACL sets the group bits from its mask.
    const int from = ::openat(replaced.folder, replaced.name.c_str(),
                              O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (from >= 0) {
        const UniqueFd closing(from);
        CarryOverAttributes(from, temporary, shown);
    }
#endif
}

std::string FinalTarget(const std::string& path) {
    std::string current = path;
    // As many links as the system itself follows before it gives up (ELOOP).
    for (int hop = 0; hop < 40; ++hop) {
        struct ::stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return current;
        }
        std::vector<char> target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length < 0 || static_cast<std::size_t>(length) >= target.size()) {
            return current;
        }
        const std::string next(target.data(), static_cast<std::size_t>(length));
        current = next.starts_with('/') ? next : ExtractFilePath(current) + next;
    }
    return current;
}

bool IsWriteProtected(const std::string& path) {
    if (::access(path.c_str(), W_OK) != 0) {
        return errno == EACCES || errno == EPERM;
    }
    struct ::stat st {};
    return ::geteuid() == 0 && ::stat(path.c_str(), &st) == 0 && (st.st_mode & 0222) == 0;
}

LockAttempt TryEditLock(const EntryRef& entry) {
    LockAttempt attempt;
    // A few tries when the file is replaced between its open and its lock: a
    // lock on a file no longer at the path guards nothing.
    for (int tries = 0; tries < 8; ++tries) {
        const int fd = ::openat(entry.folder, entry.name.c_str(),
                                O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            return attempt;  // gone, or not a file to lock: the change check tells
        }
        UniqueFd handle(fd);
        int locked;
        do {
            locked = ::flock(fd, LOCK_EX | LOCK_NB);
        } while (locked != 0 && errno == EINTR);
        struct ::stat held {};
        struct ::stat now {};
        if (locked != 0) {
            if (errno != EWOULDBLOCK) {
                return attempt;  // no locks on this file system
            }
            attempt.state = LockAttempt::State::kBusy;
#ifdef __linux__
            if (::fstat(fd, &held) == 0) {
                attempt.holder = LockHolderOf(held);
            }
#endif
            return attempt;
        }
        if (::fstat(fd, &held) == 0 &&
            ::fstatat(entry.folder, entry.name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
            held.st_dev == now.st_dev && held.st_ino == now.st_ino) {
            attempt.state = LockAttempt::State::kTaken;
            attempt.handle = std::move(handle);
            return attempt;
        }
    }
    attempt.state = LockAttempt::State::kBusy;  // replaced again and again: someone is at work
    return attempt;
}

}  // namespace lumigram::sys
