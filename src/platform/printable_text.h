#pragma once

#include <string>
#include <string_view>

namespace lumigram {

// Text fit for a terminal or a message box: control characters (C0, DEL and the
// C1 range U+0080 to U+009F) and bytes that are not UTF-8 are written as
// escapes ("\n", "\t", "\x1b", "\x9d"), so a hostile file or member name can
// neither move the cursor, set the terminal's title nor hide a line. Every
// other character, non-ASCII letters included, passes unchanged.
std::string EscapeControls(std::string_view text);

}  // namespace lumigram
