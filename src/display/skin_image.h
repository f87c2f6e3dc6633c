#pragma once

#include <QImage>
#include <cstdint>
#include <span>
#include <string>

namespace lumigram {

// A ".k" picture held in memory as the windows draw it, through the core's
// mask-as-alpha decode: straight ARGB, see-through exactly where the mask says
// transparent (a 32-bit pixel as its fourth byte says) while transparency is
// enabled, every pixel opaque when it is not. The main window takes the alpha
// of this for its decoded BMP, the workbench the whole picture, so both show
// the same pixels. Raises FormatError naming shownName.
QImage SkinImage(std::span<const std::uint8_t> bytes, bool transparencyEnabled,
                 const std::string& shownName);

}  // namespace lumigram
