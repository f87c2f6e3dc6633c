#pragma once

#include <chrono>
#include <string>

#include "platform/system_calls.h"
#include "platform/unique_fd.h"

namespace lumigram {

// How long an edit in place waits for another program's edit of the same file
// to end before it gives up: long enough for any ordinary package to be
// written, short enough that nobody takes the wait for a hang.
inline constexpr std::chrono::milliseconds kEditLockWait{2000};

// The advisory lock that edits in place of one file take while they check it
// and replace it, so that two of them never both succeed on one version.
// Held until the object goes away; the system drops it when the process ends,
// however it ends. Readers take no lock and never wait.
class EditLock {
  public:
    // Takes the lock of entry, waiting up to wait for another holder to let go;
    // raises FileBusyError naming shown (and the holder, where the system can
    // tell) when it does not. On a file system without locks, or when the
    // file is gone, nothing is held: the change check still guards the edit.
    static EditLock Take(const sys::EntryRef& entry, const std::string& shown,
                         std::chrono::milliseconds wait);

  private:
    explicit EditLock(UniqueFd handle) : handle_(std::move(handle)) {}
    UniqueFd handle_;
};

}  // namespace lumigram
