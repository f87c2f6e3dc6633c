#pragma once

#include <memory>
#include <string>

#include "platform/interrupt_cleanup.h"

namespace lumigram {

// A fresh private folder under the system's temporary folder (mode 0700),
// removed with its content when the object goes away, and on an interrupt
// while InstallInterruptCleanup is in force.
class TemporaryFolder {
  public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::string& path() const noexcept { return path_; }

  private:
    std::string path_;
    std::unique_ptr<InterruptCleanupFolder> cleanup_;
};

}  // namespace lumigram
