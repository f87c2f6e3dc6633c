#pragma once

#include <string>
#include <string_view>

namespace lumigram {

// Why a stored member name must not be written as a file in the target folder,
// or an empty string when it is safe: "." and "..", and names holding "/", "\"
// or NUL would leave the folder or name no file; on Windows also ":", the
// reserved device names (CON, NUL, COM1, ...) and names ending in a dot or a
// space (which Windows strips, so two members could land on one file).
std::string UnsafeMemberNameReason(std::string_view storedName);

// A name fit for a message: printable ASCII as it is, quotes and backslashes
// escaped, every other byte as \xNN. With keepNonAscii, bytes from 0x80 up pass
// unchanged (for UTF-8 text shown to a person) and only controls are escaped.
std::string EscapeName(std::string_view bytes, bool keepNonAscii = false);

// A stored member name as list, verify's text and diff print it: its UTF-8
// form, a backslash as "\\", control characters and bytes that are not UTF-8 as
// EscapeControls writes them ("\x81"). So a name holding the four characters
// \x81 ("\\x81") never prints like the byte 0x81.
std::string ShownMemberName(std::string_view storedName);
// The same for a member name in UTF-8, as a user types one.
std::string ShownUtf8MemberName(std::string_view name);

}  // namespace lumigram
