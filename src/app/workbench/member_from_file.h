#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "codec/picture_conversion.h"

namespace lumigram {

// The bytes a member named storedName gets from the file at path, encoded as
// the member's kind needs:
// - a ".k" member: a ".k" file as it is, a BMP or PNG encoded (PNG alpha as the
//   mask, BMP with the transparency colour as the key);
// - a ".g" member: a GIF or PNG as it is;
// - an ".a" member: any file as it is.
// Anything else is refused with a FormatError naming the file and saying what
// would work. The encoding goes through a temporary in scratchFolder that is
// never kept.
std::vector<std::uint8_t> MemberBytesFromFile(const std::string& storedName,
                                              const std::string& path,
                                              const std::string& scratchFolder,
                                              const ConversionOptions& options);

}  // namespace lumigram
