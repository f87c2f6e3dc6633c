#pragma once

#include <QImage>
#include <cstdint>
#include <span>
#include <string>

namespace lumigram {

// The picture a member holds, decoded in memory: a ".k" with the given
// transparency setting (transparent pixels get alpha 0), a ".g" as the GIF or
// PNG it is. A null image for members that hold no picture (".a" and others).
// Raises FormatError naming shownName for a picture that does not decode.
QImage DecodeMemberPicture(const std::string& storedName, std::span<const std::uint8_t> bytes,
                           bool transparencyEnabled, const std::string& shownName);

}  // namespace lumigram
