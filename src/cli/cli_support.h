#pragma once

#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "codec/skin_format.h"

namespace lumigram::cli {

// Exit codes scripts rely on.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // the work failed or the input was refused
inline constexpr int kExitUsage = 2;   // the command line was wrong

// The help of every command that writes several files into one folder.
inline constexpr const char* kCaseBlindFooter =
    "Where the file system ignores case (a memory card: FAT, exFAT; NTFS, APFS), names that "
    "differ only in case (Icon.k, icon.k) are one file: the first is written, each later one "
    "is reported and not written (\"... this file system ignores case\"), never replacing "
    "it, and the exit code is 1.\n";

// "RRGGBB" in web notation (red first), optionally after a "#"; nullopt when the
// text is not six hexadecimal digits.
std::optional<TransparencyColour> ParseWebColour(std::string_view text);

// Prints "lumigram-cli: PATH: message" (or "lumigram-cli: message" without a path)
// to stderr, control characters escaped.
void PrintError(std::string_view path, std::string_view message);

// What a user reads for an error: its text, "out of memory" when memory ran out.
std::string ErrorMessage(const std::exception& error);

// Runs work, turning every error it raises into a message on stderr that names
// the error's file (or fallbackPath when the error names none). Returns the exit
// code: kExitOk, or kExitFailed after an error.
int RunReportingErrors(const std::string& fallbackPath, const std::function<void()>& work);

// Flushes standard output; a failed write or flush (a full disk, a closed pipe
// end, /dev/full) is reported as an error. Returns false then.
bool FlushStandardOutput();

}  // namespace lumigram::cli
