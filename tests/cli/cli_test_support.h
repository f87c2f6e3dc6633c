#pragma once

#include <string>

#include "support/test_files.h"

namespace lumigram::test {

// Runs lumigram-cli with the given (already shell-quoted) arguments.
inline CommandResult RunCli(const std::string& arguments) {
    return RunCommand(ShellQuote(LUMIGRAM_CLI) + " " + arguments);
}

// Shell-quotes each argument and joins them with spaces.
template <typename... Ts>
std::string Args(const Ts&... args) {
    std::string line;
    ((line += (line.empty() ? "" : " ") + ShellQuote(args)), ...);
    return line;
}

}  // namespace lumigram::test
