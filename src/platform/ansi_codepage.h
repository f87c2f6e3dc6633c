#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lumigram {

// Package member names are stored in the phone tools' "ANSI" code page,
// Windows-1252; file names on disk here are UTF-8.
//
// The five bytes Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D)
// map to the C1 controls of the same value, as Windows itself maps them, so
// every byte string survives the trip to UTF-8 and back.

// UTF-8 to Windows-1252; nullopt when the text is not valid UTF-8 or holds a
// character that Windows-1252 cannot store.
std::optional<std::string> Utf8ToAnsi(std::string_view utf8);

// Windows-1252 to UTF-8; every byte string has a form.
std::string AnsiToUtf8(std::string_view ansi);

}  // namespace lumigram
