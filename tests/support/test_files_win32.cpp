// The process side of the test support on Windows: commands run through
// cmd.exe, no user switching and no tmpfs.
#include <cstdlib>
#include <filesystem>

#include "support/test_files.h"

namespace lumigram::test {

bool RunWithoutPrivileges(const std::function<bool()>& check) {
    // A read-only attribute binds every user alike: nothing to give up.
    return check();
}

std::string ShellQuote(const std::string& text) {
    // cmd.exe and the C runtime's argument splitting both take double quotes.
    return "\"" + text + "\"";
}

CommandResult RunCommand(const std::string& commandLine) {
    TempDir capture;
    const std::string outPath = capture.File("out");
    const std::string errPath = capture.File("err");
    // cmd.exe /c strips one pair of outer quotes: the whole line gets its own.
    const std::string full =
        "\"" + commandLine + " >" + ShellQuote(outPath) + " 2>" + ShellQuote(errPath) + " <NUL\"";
    CommandResult result;
    // cmd.exe creates the capture files before it starts the command, so a
    // missing one means cmd.exe itself never ran (Wine on a loaded machine
    // sometimes fails to start it): run the line again rather than fail the
    // test on something the program under test never saw.
    for (int attempt = 0; attempt < 3; ++attempt) {
        result.exitCode = std::system(full.c_str());
        if (std::filesystem::exists(outPath)) {
            break;
        }
    }
    const Bytes out = ReadAll(outPath);
    const Bytes err = ReadAll(errPath);
    result.out.assign(out.begin(), out.end());
    result.err.assign(err.begin(), err.end());
    return result;
}

SmallDisk::SmallDisk(const std::string& folder, const char*) : folder_(folder) {
    whyNot_ = "a small memory file system (tmpfs) exists on Linux only";
}

SmallDisk::~SmallDisk() = default;

}  // namespace lumigram::test
