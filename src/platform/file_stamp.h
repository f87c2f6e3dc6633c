#pragma once

#include <cstdint>

namespace lumigram {

// Which file a descriptor or path reaches, to tell an input from an output even
// through links.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// One version of one file: which file it is, and its size and times as the
// system keeps them (nanoseconds on POSIX, 100 ns ticks on Windows). Any write
// to the file, a rename over it, or a change of its attributes gives another
// stamp; an edit in place compares the stamp of what it read with the file's
// stamp just before it replaces it.
struct FileStamp {
    FileIdentity identity;
    std::uint64_t size = 0;
    std::int64_t modified = 0;
    std::int64_t changed = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

}  // namespace lumigram
