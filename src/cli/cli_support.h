#pragma once

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

// "RRGGBB" in web notation (red first), optionally after a "#"; nullopt when the
// text is not six hexadecimal digits.
std::optional<TransparencyColour> ParseWebColour(std::string_view text);

// Prints "lumigram-cli: PATH: message" (or "lumigram-cli: message" without a path)
// to stderr.
void PrintError(std::string_view path, std::string_view message);

// Runs work, turning every error it raises into a message on stderr that names
// the error's file (or fallbackPath when the error names none). Returns the exit
// code: kExitOk, or kExitFailed after an error.
int RunReportingErrors(const std::string& fallbackPath, const std::function<void()>& work);

// Runs write(temporaryPath) and, when it succeeds, renames the temporary file over
// target; a refused or failed write leaves no output and an earlier target intact.
void WriteReplacing(const std::string& target,
                    const std::function<void(const std::string& temporaryPath)>& write);

}  // namespace lumigram::cli
