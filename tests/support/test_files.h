#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/temporary_folder.h"

namespace lumigram::test {

using Bytes = std::vector<std::uint8_t>;

// A fresh folder under the system's temporary folder, removed with everything in
// it when the object goes away, whatever permissions a test left on its parts.
class TempDir {
  public:
    TempDir() = default;
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return folder_.path(); }
    // path() + the platform's separator + name
    std::string File(const std::string& name) const;

  private:
    TemporaryFolder folder_;
};

Bytes ReadAll(const std::string& path);
void WriteAll(const std::string& path, const Bytes& bytes);
bool Exists(const std::string& path);
// Names in a folder (no "." or ".."), sorted.
std::vector<std::string> ListFolder(const std::string& folder);

// Bytes counting 0, 1, 2, ... (mod 256) from start: easy to tell apart.
Bytes CountingBytes(std::size_t size, std::uint8_t start = 0);

// Runs check in a child process without root's override of permission bits (as
// the unprivileged user "nobody" when the tests run as root). Returns true when
// the check returned true in the child.
bool RunWithoutPrivileges(const std::function<bool()>& check);

// Runs a command line through the shell; stdout and stderr land in the strings.
struct CommandResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};
CommandResult RunCommand(const std::string& commandLine);

// Quotes an argument for the shell.
std::string ShellQuote(const std::string& text);

}  // namespace lumigram::test

namespace lumigram::test {

// A small memory file system mounted at a fresh folder, so that a test can run
// out of disk space for real. Needs root; mounted() says whether it worked and
// why not (the caller skips the test then).
class SmallDisk {
  public:
    SmallDisk(const std::string& folder, const char* size);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& whyNot() const { return whyNot_; }

  private:
    std::string folder_;
    bool mounted_ = false;
    std::string whyNot_;
};

}  // namespace lumigram::test
