#pragma once

#include <string>
#include <string_view>

namespace lumigram {

// What a ".g" file holds, told by its first bytes: "GIF" at bytes 0-2, or the
// PNG signature's "PNG" at bytes 1-3 (GIF is tested first).
enum class GSignature { kNone, kGif, kPng };

// Reads up to four bytes of the file (opened for reading only) and classifies
// them; a byte the file does not have matches nothing. Raises IoError when the
// file cannot be read.
GSignature ReadGSignature(const std::string& path);

// The scratch file a ".g" picture is shown or converted through: "temp.gif",
// "temp.png", or empty when it is neither.
std::string_view ScratchNameFor(GSignature signature);

}  // namespace lumigram
