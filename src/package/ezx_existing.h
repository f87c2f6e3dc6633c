#pragma once

#include <string>
#include <vector>

namespace lumigram {

// The files in folder that unpacking the package would replace: the paths of
// its members (with safe names) that already exist there, in table order. A
// damaged package raises FormatError, as the unpacker does.
std::vector<std::string> ExistingMemberFiles(const std::string& packageFileName,
                                             const std::string& folder);

}  // namespace lumigram
