#pragma once

#include <cstdint>
#include <string>

#include "platform/output_file.h"

namespace lumigram {

// Deletes a file; a missing or undeletable file is skipped without a word.
void DeleteFileQuietly(const std::string& path);

// The modification time of a regular file in seconds since the epoch, or -1
// when there is no such file (folders count as no file).
std::int64_t FileAge(const std::string& path);

// The size of an existing file, by one look at its directory entry (links
// followed). Raises IoError naming path when there is no such file.
std::uint64_t FileSizeOf(const std::string& path);
// The same, telling which file it is, too.
std::uint64_t FileSizeOf(const std::string& path, FileIdentity& identity);

// The existence test the program uses: true for an existing regular file.
bool FileExists(const std::string& path);

// True for an existing folder (following links).
bool FolderExists(const std::string& path);

// Creates a folder and its missing parents; raises IoError on failure.
void CreateFolders(const std::string& path);

}  // namespace lumigram
