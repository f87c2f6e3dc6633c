#pragma once

#include <sys/types.h>

#include <string>

namespace lumigram {

// What stands at a path in a folder.
enum class EntryKind {
    kMissing,
    kRegular,
    kFolder,
    kLink,
    kFifo,
    kCharDevice,
    kBlockDevice,
    kSocket,
    kOther,
};

// The kind that a stat mode describes.
EntryKind EntryKindOfMode(mode_t mode);

// What a user reads when an entry of this kind stands where a file is read or
// written: "is a folder", "is a FIFO, not a regular file", ...
std::string NotARegularFileText(EntryKind kind);

}  // namespace lumigram
