#pragma once

#include <string>
#include <string_view>

namespace lumigram {

// text with every character replaced by its Unicode simple case folding (one
// character for one: "Icon.K" and "ICON.k" both give "icon.k", "ǅ" gives "ǆ",
// "ẞ" gives "ß", but "ß" stays "ß"). Two names that fold alike are one file on
// a file system that ignores case (FAT, exFAT, NTFS, APFS). Bytes that are not
// UTF-8 are kept as they are.
std::string FoldCase(std::string_view text);

}  // namespace lumigram
