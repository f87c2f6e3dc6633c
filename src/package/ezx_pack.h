#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "package/progress_callback.h"

namespace lumigram {

// A file of the folder that becomes a member.
struct MemberFile {
    std::string fileName;    // as on disk (UTF-8)
    std::string storedName;  // as the package stores it (Windows-1252)
};

// The regular, non-hidden files of folder with each of extensions (any case),
// one group an extension, each sorted by stored name (SearchOrderLess), from
// one listing of the folder. Raises FormatError naming the file when a name
// has no Windows-1252 form.
std::vector<std::vector<MemberFile>> CollectFileGroups(
    const std::string& folder, std::span<const std::string_view> extensions);

// Groups, each in its own order, as pack orders members: the first of each
// group, then the second of each, and so on.
std::vector<MemberFile> InterleaveGroups(std::vector<std::vector<MemberFile>> groups);

// The ".k", ".g" and ".a" files of folder in member order: first ".k", first
// ".g", first ".a", second ".k", and so on. Each group holds the folder's
// regular, non-hidden files with that extension in any case, sorted by their
// stored names. Raises FormatError naming the file when a name has no
// Windows-1252 form.
std::vector<MemberFile> CollectMemberFiles(const std::string& folder);

// Where a package's index goes and how long the package is, from the bytes of
// its name list (names and their 0x0A), its member count and its data area
// (content plus 8 bytes a member).
struct PackageLayout {
    std::int64_t indexOffset = 0;
    std::int64_t length = 0;
};
PackageLayout LayOutPackage(std::int64_t nameListBytes, std::size_t memberCount,
                            std::int64_t dataBytes);

// Raises FormatError (naming folder) when a package of this length would reach
// 2^31 bytes, beyond what its signed 32-bit offsets can address.
void CheckPackageLength(std::int64_t length, const std::string& folder);

struct PackOptions {
    ProgressCallback onProgress;  // after each member's content is written
};

struct PackResult {
    std::size_t members = 0;  // 0: the folder held nothing to pack, nothing written
    bool cancelled = false;   // stopped by onProgress; nothing written
};

// Packs the ".k", ".g" and ".a" files of folder into a package at
// packageFileName. Nothing is written when the folder holds no such file.
// Refused before anything is written: more than 65,536 members, a name longer
// than 255 bytes, a package that would reach 2 GiB. The files become the
// members of an EditablePackage in this order, which then saves itself: one
// writer for every package. It is written to a temporary file beside the
// target and renamed over the target only when complete: on any failure an
// earlier package of that name is left byte for byte and the temporary file is
// removed.
PackResult PackEZX(const std::string& folder, const std::string& packageFileName,
                   const PackOptions& options = {});

}  // namespace lumigram
