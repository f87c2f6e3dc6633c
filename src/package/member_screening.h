#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "package/ezx_reader.h"

namespace lumigram {

// Why each member of a checked package is not to be unpacked, in the order of
// members: an empty string for a member to write. A member is skipped when
// - its name is unsafe (UnsafeMemberNameReason);
// - its name begins with "." ("hidden file name, not written"): Lumigram's packer
//   never stores one, and a ".bashrc" unpacked into a home folder is an attack;
// - an earlier member has the same name, compared as stored bytes ("duplicate
//   member name, not written"): the first of a name wins, none overwrites it.
// Each reason is a whole message after "member N: ", with the name escaped.
std::vector<std::string> ScreenMemberNames(const std::vector<PackageMember>& members);

// Why the packer must not store a file of this stored name, or an empty string:
// a name its own reader would cut short (0x0A) or its unpacker would skip
// (NUL, unsafe, hidden). The reason names the offending character.
std::string UnstorableNameReason(std::string_view storedName);

// Why the packer must not store these names (UTF-8, in member order) together,
// or an empty string: two that are equal when case is ignored ("Icon.k" and
// "icon.k") unpack to one file on a file system that ignores case (a memory
// card), and only the first would be there.
std::string CaseFoldPairReason(const std::vector<std::string>& names);

}  // namespace lumigram
