#pragma once

#include <string>

namespace lumigram {

// Ctrl+C, a SIGTERM from a service manager or a closed terminal must not leave
// half-written temporaries behind. Once installed, SIGINT, SIGTERM and SIGHUP
// remove every temporary that is registered at that moment and end the process
// with 128 + the signal number. (SIGKILL cannot be caught; what it leaves has a
// hidden name that no later run takes for an output.) SIGXFSZ is ignored, so a
// file size limit fails the write rather than killing the process mid-file.
void InstallInterruptCleanup();

// While a helper process does the writing, an interrupt is passed on to it and
// waited for, so that it removes its own temporaries and never finishes its
// output after this process is gone. 0 ends the forwarding.
void ForwardInterruptsTo(int processId) noexcept;

// Registers one temporary file, name inside the folder open as folderFd, for
// removal on an interrupt, for as long as the object lives. The descriptor must
// stay open as long. Registration never fails: past a fixed number of live
// temporaries, further ones are simply not covered.
class InterruptCleanupEntry {
  public:
    InterruptCleanupEntry(int folderFd, const std::string& name) noexcept;
    ~InterruptCleanupEntry();
    InterruptCleanupEntry(const InterruptCleanupEntry&) = delete;
    InterruptCleanupEntry& operator=(const InterruptCleanupEntry&) = delete;

  private:
    int slot_ = -1;
};

// Registers a whole private folder (a scratch folder holding plain files only)
// for removal, contents first, on an interrupt, for as long as the object lives.
class InterruptCleanupFolder {
  public:
    explicit InterruptCleanupFolder(const std::string& path) noexcept;
    ~InterruptCleanupFolder();
    InterruptCleanupFolder(const InterruptCleanupFolder&) = delete;
    InterruptCleanupFolder& operator=(const InterruptCleanupFolder&) = delete;

  private:
    int slot_ = -1;
};

}  // namespace lumigram
