#pragma once

#include <string>
#include <string_view>

namespace lumigram {

// Windows only. The program keeps every path and text in UTF-8; the system's
// file API takes UTF-16. These convert at that border. Bytes that are not valid
// UTF-8 (or unpaired UTF-16 halves) become U+FFFD rather than being dropped.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace lumigram
