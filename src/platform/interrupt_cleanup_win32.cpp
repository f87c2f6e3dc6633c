// Interrupt cleanup on Windows. Ctrl+C, Ctrl+Break and closing the console
// window reach the handler that SetConsoleCtrlHandler installs; it runs on a
// thread of its own, so it may use the file API freely. It removes every
// registered temporary and ends the process with 128 + the matching signal
// number (SIGINT 2 for Ctrl+C, SIGBREAK 21, SIGHUP 1 for a closed console),
// as the program ends on other systems.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <string>
#include <system_error>

#include "platform/interrupt_cleanup.h"
#include "platform/wide_text.h"

namespace lumigram {
namespace {

// Entries come and go on the program's threads while the handler reads them on
// its own: one lock guards the table.
constexpr int kFileSlots = 64;
constexpr int kFolderSlots = 8;

struct FileSlot {
    bool live = false;
    int folderFd = -1;
    std::wstring name;
};

struct FolderSlot {
    bool live = false;
    std::wstring path;
};

std::mutex& Lock() {
    static std::mutex lock;
    return lock;
}

FileSlot fileSlots[kFileSlots];
FolderSlot folderSlots[kFolderSlots];

void RemoveFile(const FileSlot& slot) {
    wchar_t folder[MAX_PATH * 4];
    const HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(slot.folderFd));
    const DWORD length =
        ::GetFinalPathNameByHandleW(handle, folder, MAX_PATH * 4, FILE_NAME_NORMALIZED);
    if (length > 0 && length < MAX_PATH * 4) {
        ::DeleteFileW((std::wstring(folder, length) + L"\\" + slot.name).c_str());
    }
}

BOOL WINAPI OnInterrupt(DWORD event) {
    int signal = 2;
    if (event == CTRL_BREAK_EVENT) {
        signal = 21;
    } else if (event != CTRL_C_EVENT) {
        signal = 1;
    }
    {
        // Held to the end: no entry goes away, and no write finishes a rename
        // that this removal would then undo.
        Lock().lock();
        for (const FileSlot& slot : fileSlots) {
            if (slot.live) {
                RemoveFile(slot);
            }
        }
        for (const FolderSlot& slot : folderSlots) {
            if (slot.live) {
                std::error_code ignored;
                std::filesystem::remove_all(std::filesystem::path(slot.path), ignored);
            }
        }
    }
    ::ExitProcess(static_cast<UINT>(128 + signal));
    return TRUE;
}

}  // namespace

void InstallInterruptCleanup() {
    ::SetConsoleCtrlHandler(OnInterrupt, TRUE);
}

InterruptCleanupEntry::InterruptCleanupEntry(int folderFd, const std::string& name) noexcept {
    try {
        std::wstring wide = Widen(name);
        const std::lock_guard<std::mutex> held(Lock());
        for (int i = 0; i < kFileSlots; ++i) {
            if (!fileSlots[i].live) {
                fileSlots[i] = FileSlot{true, folderFd, std::move(wide)};
                slot_ = i;
                return;
            }
        }
    } catch (...) {
        // Registration never fails: this temporary is simply not covered.
    }
}

InterruptCleanupEntry::~InterruptCleanupEntry() {
    if (slot_ >= 0) {
        const std::lock_guard<std::mutex> held(Lock());
        fileSlots[slot_].live = false;
    }
}

InterruptCleanupFolder::InterruptCleanupFolder(const std::string& path) noexcept {
    try {
        std::wstring wide = Widen(path);
        const std::lock_guard<std::mutex> held(Lock());
        for (int i = 0; i < kFolderSlots; ++i) {
            if (!folderSlots[i].live) {
                folderSlots[i] = FolderSlot{true, std::move(wide)};
                slot_ = i;
                return;
            }
        }
    } catch (...) {
    }
}

InterruptCleanupFolder::~InterruptCleanupFolder() {
    if (slot_ >= 0) {
        const std::lock_guard<std::mutex> held(Lock());
        folderSlots[slot_].live = false;
    }
}

}  // namespace lumigram
