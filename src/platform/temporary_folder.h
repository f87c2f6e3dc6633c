#pragma once

#include <string>

namespace lumigram {

// A fresh private folder under the system's temporary folder (mode 0700),
// removed with its content when the object goes away.
class TemporaryFolder {
  public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::string& path() const noexcept { return path_; }

  private:
    std::string path_;
};

}  // namespace lumigram
