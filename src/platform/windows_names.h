#pragma once

#include <string_view>

namespace lumigram {

// True for a name Windows takes for a device rather than a file: CON, PRN,
// AUX, NUL, COM1-COM9 and LPT1-LPT9, in any case, with or without an extension
// ("nul.txt", "Com1.k") and with spaces before the extension ("CON .k").
// Checked on every system, so packages made anywhere can be judged.
bool IsReservedDeviceName(std::string_view name);

}  // namespace lumigram
