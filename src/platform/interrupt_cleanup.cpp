#include "platform/interrupt_cleanup.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>

namespace lumigram {
namespace {

// The handler may run between any two instructions, so the registry is a fixed
// table of plain bytes; a slot is published by its state only after it is full.
enum SlotState : int { kFree = 0, kFilling = 1, kLive = 2 };

constexpr int kFileSlots = 64;
constexpr int kFolderSlots = 8;

struct FileSlot {
    std::atomic<int> state{kFree};
    int folderFd = -1;
    char name[NAME_MAX + 1] = {};
};

struct FolderSlot {
    std::atomic<int> state{kFree};
    char path[PATH_MAX] = {};
};

FileSlot fileSlots[kFileSlots];
std::atomic<int> helperProcess{0};
FolderSlot folderSlots[kFolderSlots];

template <typename Slot, int count>
int TakeSlot(Slot (&slots)[count]) {
    for (int i = 0; i < count; ++i) {
        int expected = kFree;
        if (slots[i].state.compare_exchange_strong(expected, kFilling)) {
            return i;
        }
    }
    return -1;
}

// Empties a folder of plain files with nothing but system calls that are safe
// inside a signal handler, then removes it.
void RemoveFolderInHandler(const char* path) {
#ifdef SYS_getdents64
    const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        alignas(8) char buffer[4096];
        for (;;) {
            const long got = ::syscall(SYS_getdents64, fd, buffer, sizeof buffer);
            if (got <= 0) {
                break;
            }
            for (long at = 0; at < got;) {
                struct Entry {
                    ino64_t inode;
                    off64_t offset;
                    unsigned short length;
                    unsigned char type;
                    char name[1];
                };
                const auto* entry = reinterpret_cast<const Entry*>(buffer + at);
                if (std::strcmp(entry->name, ".") != 0 && std::strcmp(entry->name, "..") != 0) {
                    ::unlinkat(fd, entry->name, 0);
                }
                at += entry->length;
            }
        }
        ::close(fd);
    }
#endif
    ::rmdir(path);
}

void OnInterrupt(int signal) {
    if (const int helper = helperProcess.load(); helper > 0) {
        ::kill(helper, signal);
        int status = 0;
        while (::waitpid(helper, &status, 0) < 0 && errno == EINTR) {
        }
    }
    for (FileSlot& slot : fileSlots) {
        if (slot.state.load() == kLive) {
            ::unlinkat(slot.folderFd, slot.name, 0);
        }
    }
    for (FolderSlot& slot : folderSlots) {
        if (slot.state.load() == kLive) {
            RemoveFolderInHandler(slot.path);
        }
    }
    ::_exit(128 + signal);
}

}  // namespace

void InstallInterruptCleanup() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaddset(&action.sa_mask, signal);
    }
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
    // Past a file size limit (ulimit -f) a write fails with EFBIG instead of
    // killing the process, so the failure is reported and cleaned up like any.
    ::signal(SIGXFSZ, SIG_IGN);
}

void ForwardInterruptsTo(int processId) noexcept {
    helperProcess.store(processId);
}

InterruptCleanupEntry::InterruptCleanupEntry(int folderFd, const std::string& name) noexcept {
    if (name.size() > NAME_MAX) {
        return;
    }
    slot_ = TakeSlot(fileSlots);
    if (slot_ >= 0) {
        FileSlot& slot = fileSlots[slot_];
        slot.folderFd = folderFd;
        std::memcpy(slot.name, name.c_str(), name.size() + 1);
        slot.state.store(kLive);
    }
}

InterruptCleanupEntry::~InterruptCleanupEntry() {
    if (slot_ >= 0) {
        fileSlots[slot_].state.store(kFree);
    }
}

InterruptCleanupFolder::InterruptCleanupFolder(const std::string& path) noexcept {
    if (path.size() >= PATH_MAX) {
        return;
    }
    slot_ = TakeSlot(folderSlots);
    if (slot_ >= 0) {
        FolderSlot& slot = folderSlots[slot_];
        std::memcpy(slot.path, path.c_str(), path.size() + 1);
        slot.state.store(kLive);
    }
}

InterruptCleanupFolder::~InterruptCleanupFolder() {
    if (slot_ >= 0) {
        folderSlots[slot_].state.store(kFree);
    }
}

}  // namespace lumigram
