#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "platform/output_file.h"

namespace lumigram {

// Whether the file system of folder takes names that differ only in case for
// one file (FAT, exFAT, NTFS, APFS, an ext4 folder with casefold): a hidden
// probe file of a lower-case name is made, looked up in upper case and
// removed. A folder that cannot take the probe counts as telling case apart.
bool FolderIgnoresCase(const OutputFolder& folder);

// What stands at name in folder (links not followed), if anything.
std::optional<FileIdentity> EntryIdentity(const OutputFolder& folder, const std::string& name);

// The outputs one run has written into one folder, so that no output of the
// run replaces another of the same run: on a file system that ignores case,
// "Icon.k" and "icon.k" are one file, and the second would silently replace
// the first. The folder is probed once, when the run starts. Then an output
// lands on an earlier one when
// - its name folds (FoldCase) to an earlier output's and the folder ignores
//   case (a FUSE file system may give one file another inode for each
//   spelling, so names are compared, not inodes);
// - its name folds to an earlier output's and both names reach the same file;
// - in a folder that ignores case, its name reaches a file the run wrote
//   (names that fold apart but that the file system still joins).
class FolderWrites {
  public:
    explicit FolderWrites(const OutputFolder& folder);

    bool ignoresCase() const noexcept { return ignoresCase_; }

    // The earlier output of this run that an output named name would replace.
    std::optional<std::string> EarlierOutput(const std::string& name) const;
    // After the output name was written.
    void Written(const std::string& name);
    // The end of the message for an output that is not written: "was written
    // to the same file: this file system ignores case".
    std::string SameFileReason() const;

  private:
    struct IdentityHash {
        std::size_t operator()(const FileIdentity& id) const noexcept {
            return std::hash<std::uint64_t>()(id.inode * 31 + id.device);
        }
    };
    const OutputFolder& folder_;
    bool ignoresCase_ = false;
    std::unordered_map<std::string, std::string> byFolded_;  // folded name -> name written
    std::unordered_map<FileIdentity, std::string, IdentityHash> byIdentity_;
};

}  // namespace lumigram
