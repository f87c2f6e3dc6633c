#include "platform/folder_writes.h"

#include "platform/case_folding.h"

namespace lumigram {

FolderWrites::FolderWrites(const OutputFolder& folder)
    : folder_(folder), ignoresCase_(FolderIgnoresCase(folder)) {}

std::optional<std::string> FolderWrites::EarlierOutput(const std::string& name) const {
    if (const auto earlier = byFolded_.find(FoldCase(name)); earlier != byFolded_.end()) {
        if (ignoresCase_ || earlier->second == name) {
            return earlier->second;
        }
        const std::optional<FileIdentity> mine = EntryIdentity(folder_, name);
        if (mine && mine == EntryIdentity(folder_, earlier->second)) {
            return earlier->second;
        }
        return std::nullopt;
    }
    if (ignoresCase_ && !byIdentity_.empty()) {
        if (const std::optional<FileIdentity> mine = EntryIdentity(folder_, name)) {
            if (const auto earlier = byIdentity_.find(*mine); earlier != byIdentity_.end()) {
                return earlier->second;
            }
        }
    }
    return std::nullopt;
}

void FolderWrites::Written(const std::string& name) {
    byFolded_.emplace(FoldCase(name), name);
    if (ignoresCase_) {
        // Only where the file system ignores case: elsewhere this would cost
        // every output a look at its path.
        if (const std::optional<FileIdentity> identity = EntryIdentity(folder_, name)) {
            byIdentity_.emplace(*identity, name);
        }
    }
}

std::string FolderWrites::SameFileReason() const {
    return ignoresCase_ ? "was written to the same file: this file system ignores case"
                        : "was written to the same file: this file system takes both names for "
                          "one file";
}

}  // namespace lumigram
