#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/path.h"

namespace lumigram {

// The two groups of files the window lists and converts together: skin files
// when the current file is a skin picture (or nothing is open yet), ordinary
// pictures when it is one.
inline constexpr std::array<std::string_view, 3> SkinExtensions = {".k", ".g", ".a"};
inline constexpr std::array<std::string_view, 3> ImageExtensions = {".bmp", ".gif", ".png"};

const std::array<std::string_view, 3>& GroupExtensions(FileKind kind);

// The names (without folder) of the group's files in folder ("" lists the
// current directory): every match of the first extension, then of the second,
// then of the third, each in folder-search order, and at most limit names.
std::vector<std::string> ListGroupFiles(const std::string& folder, FileKind kind,
                                        std::size_t limit);

}  // namespace lumigram
