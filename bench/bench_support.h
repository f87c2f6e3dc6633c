#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lumigram::bench {

// Best wall-clock time of `runs` calls, in seconds: the least disturbed run.
double BestSeconds(int runs, const std::function<void()>& work);

// A plain read-and-write copy through a 64 KiB buffer: the baseline that every
// streaming figure is measured against.
void PlainCopy(const std::string& from, const std::string& to);

// Peak resident memory of a child process running argv, in KiB (-1 on failure).
long PeakKiBOfCommand(const std::vector<std::string>& argv);

// A folder under the temporary folder, removed at the end.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

}  // namespace lumigram::bench
