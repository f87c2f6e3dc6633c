#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "codec/picture_conversion.h"
#include "codec/skin_format.h"
#include "platform/path.h"

namespace lumigram {

// Whether transparent pixels are marked, and in which colour: one value, so
// that the preview, Save and Convert all read the same setting.
struct Transparency {
    bool enabled = true;
    TransparencyColour colour;  // magenta at first
    // The same setting as the core's converters take it.
    ConversionOptions AsConversionOptions() const { return ConversionOptions{colour, enabled}; }
    friend bool operator==(const Transparency&, const Transparency&) = default;
};

// What the main window works on, apart from its widgets.
struct WindowState {
    std::string CurrentFile;  // the file shown, empty before the first one
    FileKind kind = FileKind::kNone;
    std::string PreviewFile;  // the file last handed to the preview
    // The full names behind the list's rows, row i at index i.
    std::vector<std::string> FileList;
    Transparency transparency;
};

// One listing holds at most this many names.
inline constexpr std::size_t kFileListLimit = 131071;

}  // namespace lumigram
