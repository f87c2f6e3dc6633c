#pragma once

#include <string>
#include <vector>

namespace lumigram {

// The files in Folder that unpacking the package would replace: the paths of
// its members (with safe names) that already exist there, in table order. A
// damaged package raises FormatError, as the unpacker does.
std::vector<std::string> ExistingMemberFiles(const std::string& PackageFileName,
                                             const std::string& Folder);

}  // namespace lumigram
