#pragma once

#include <QString>
#include <string>

#include "platform/path.h"

namespace lumigram {

// The status bar's description of the file shown: for a ".k" picture its width
// × height, bits per pixel and mask ("120 × 160, 18 bits per pixel, mask:
// partial"); for other files the format and size of what the preview shows
// ("PNG, 120 × 160"). A picture too large for the preview to decode says so.
QString DescribePicture(const std::string& currentFile, FileKind kind,
                        const std::string& previewFile);

}  // namespace lumigram
