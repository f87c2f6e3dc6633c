#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace lumigram::cli {

// Refuses an empty path argument as a usage error: "" names no file, and an
// empty output name would otherwise be taken for the current folder.
inline CLI::Validator NonEmptyPath() {
    return CLI::Validator(
        [](const std::string& value) {
            return value.empty() ? std::string("an empty path names no file") : std::string();
        },
        "", "NonEmptyPath");
}

}  // namespace lumigram::cli
