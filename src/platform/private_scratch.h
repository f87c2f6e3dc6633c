#pragma once

#include <string>

namespace lumigram {

// The scratch folder of one running window: "lumigram-window-PID-XXXXXX", mode
// 0700, under $XDG_RUNTIME_DIR, or the temporary folder where that is unset.
// The process id in the name lets a later start tell a folder left by a crashed
// run (its process is gone) from one of a window still running.
class PrivateScratchFolder {
  public:
    // Removes stale folders of dead processes, then creates a fresh one.
    // Raises IoError when the folder cannot be created.
    PrivateScratchFolder();
    ~PrivateScratchFolder();
    PrivateScratchFolder(const PrivateScratchFolder&) = delete;
    PrivateScratchFolder& operator=(const PrivateScratchFolder&) = delete;

    const std::string& path() const noexcept { return path_; }

    // Removes the folder and its content now (the window's close, a signal);
    // harmless when done already.
    void Remove() noexcept;

  private:
    std::string path_;
};

// The folder the scratch folders go in: $XDG_RUNTIME_DIR when set and a
// folder, otherwise the system's temporary folder.
std::string ScratchFolderBase();

// Removes the scratch folders under base whose process no longer runs; returns
// how many it removed.
int RemoveStaleScratchFolders(const std::string& base);

}  // namespace lumigram
