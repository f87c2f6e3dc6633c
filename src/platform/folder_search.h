#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lumigram {

// The names (without folder part) of the regular files in folder whose names end
// in extension (".k", ".bmp"...), compared without regard to ASCII case as the
// wildcard "*.k" matches on the platforms the phone's tools come from.
// - Links to regular files count; folders and other entries do not.
// - Hidden files (names starting with ".") are left out.
// - Names come sorted by SearchOrderLess, so every run lists the same order.
// A folder that cannot be listed (missing, not a folder, no permission) raises
// IoError naming it.
std::vector<std::string> FindFiles(std::string_view folder, std::string_view extension);

// FindFiles for several extensions in one listing of the folder: list i holds
// what FindFiles(folder, extensions[i]) would (a name goes to the first
// extension it ends with).
std::vector<std::vector<std::string>> FindFilesOfEach(std::string_view folder,
                                                      std::span<const std::string_view> extensions);

// Bytes compared with ASCII letters folded to upper case; ties broken by the
// plain bytes ("A.k" before "a.k").
bool SearchOrderLess(std::string_view a, std::string_view b);

// True when name ends in extension, ASCII case ignored.
bool HasExtensionIgnoringCase(std::string_view name, std::string_view extension);

}  // namespace lumigram
