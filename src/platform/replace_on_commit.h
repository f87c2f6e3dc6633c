#pragma once

#include <string>

namespace lumigram {

// Writes a file in full before it replaces anything. The work goes to a fresh
// temporary file in the target's folder (so the final rename stays on one file
// system and is atomic); Commit() renames it over the target. Until then an
// earlier file of the target's name is untouched, and if the object goes away
// uncommitted, after a failure, the temporary file is removed.
class ReplaceOnCommit {
  public:
    explicit ReplaceOnCommit(std::string target);
    ~ReplaceOnCommit();
    ReplaceOnCommit(const ReplaceOnCommit&) = delete;
    ReplaceOnCommit& operator=(const ReplaceOnCommit&) = delete;

    // Where to write: an empty file that exists from construction on.
    const std::string& temporaryPath() const noexcept { return temporary_; }
    const std::string& target() const noexcept { return target_; }

    void Commit();

  private:
    std::string target_;
    std::string temporary_;
    bool committed_ = false;
};

}  // namespace lumigram
