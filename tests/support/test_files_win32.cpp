// The process side of the test support on Windows: commands run through
// cmd.exe, no user switching and no tmpfs.
#include <cstdlib>

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
    result.exitCode = std::system(full.c_str());
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
