#include "cli/cli_support.h"

#include <cerrno>
#include <cstdio>
#include <exception>
#include <iostream>

#include "platform/hex_digits.h"
#include "platform/io_error.h"
#include "platform/printable_text.h"

namespace lumigram::cli {

std::optional<TransparencyColour> ParseWebColour(std::string_view text) {
    if (!text.empty() && text.front() == '#') {
        text.remove_prefix(1);
    }
    if (text.size() != 6) {
        return std::nullopt;
    }
    int channel[3];
    for (int i = 0; i < 3; ++i) {
        const int high = HexDigitValue(text[2 * i]);
        const int low = HexDigitValue(text[2 * i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        channel[i] = high * 16 + low;
    }
    return TransparencyColour{static_cast<std::uint8_t>(channel[2]),
                              static_cast<std::uint8_t>(channel[1]),
                              static_cast<std::uint8_t>(channel[0])};
}

void PrintError(std::string_view path, std::string_view message) {
    std::string line = "lumigram-cli: ";
    if (!path.empty()) {
        line += EscapeControls(path);
        line += ": ";
    }
    line += EscapeControls(message);
    std::cerr << line << '\n';
}

std::string ErrorMessage(const std::exception& error) {
    return dynamic_cast<const std::bad_alloc*>(&error) != nullptr ? "out of memory" : error.what();
}

int RunReportingErrors(const std::string& fallbackPath, const std::function<void()>& work) {
    try {
        work();
        return kExitOk;
    } catch (const Error& error) {
        PrintError(error.path().empty() ? fallbackPath : error.path(), error.what());
    } catch (const std::exception& error) {
        PrintError(fallbackPath, ErrorMessage(error));
    }
    return kExitFailed;
}

bool FlushStandardOutput() {
    std::cout.flush();
    const bool failed = !std::cout || std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
    if (failed) {
        const int err = errno;
        PrintError("standard output", err != 0 ? IoError(IoCodeFromErrno(err), "").what()
                                               : std::string("write error"));
    }
    return !failed;
}

}  // namespace lumigram::cli
