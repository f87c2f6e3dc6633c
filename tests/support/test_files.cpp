#include "support/test_files.h"

#include "platform/path.h"

#ifndef _WIN32  // test_files_win32.cpp has the Windows side
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace lumigram::test {

namespace fs = std::filesystem;

namespace {

// Paths are UTF-8 everywhere in the program; on Windows a narrow path would be
// read in the ANSI code page instead.
fs::path NativePath(const std::string& path) {
    return fs::path(std::u8string(path.begin(), path.end()));
}

std::string Utf8Name(const fs::path& path) {
    const std::u8string name = path.filename().u8string();
    return std::string(name.begin(), name.end());
}

}  // namespace

TempDir::~TempDir() {
    std::error_code ignored;
    // Undo any permission games a test played so that removal succeeds.
    for (auto it = fs::recursive_directory_iterator(path(), ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
    }
}

std::string TempDir::File(const std::string& name) const {
    return JoinPath(path(), name);
}

Bytes ReadAll(const std::string& path) {
    std::ifstream in(NativePath(path), std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const Bytes& bytes) {
    std::ofstream out(NativePath(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

bool Exists(const std::string& path) {
    std::error_code ignored;
    return fs::exists(fs::symlink_status(NativePath(path), ignored));
}

std::vector<std::string> ListFolder(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(NativePath(folder))) {
        names.push_back(Utf8Name(entry.path()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

Bytes CountingBytes(std::size_t size, std::uint8_t start) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(start + i);
    }
    return bytes;
}

#ifndef _WIN32
bool RunWithoutPrivileges(const std::function<bool()>& check) {
    if (::geteuid() != 0) {
        return check();
    }
    const pid_t child = ::fork();
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
            ::_exit(2);
        }
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

CommandResult RunCommand(const std::string& commandLine) {
    TempDir capture;
    const std::string outPath = capture.File("out");
    const std::string errPath = capture.File("err");
    const std::string full =
        commandLine + " >" + ShellQuote(outPath) + " 2>" + ShellQuote(errPath) + " </dev/null";
    const int status = std::system(full.c_str());
    CommandResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const Bytes out = ReadAll(outPath);
    const Bytes err = ReadAll(errPath);
    result.out.assign(out.begin(), out.end());
    result.err.assign(err.begin(), err.end());
    return result;
}
#endif

}  // namespace lumigram::test

#ifndef _WIN32

#include <sys/mount.h>

#include <cerrno>
#include <cstring>

namespace lumigram::test {

SmallDisk::SmallDisk(const std::string& folder, const char* size) : folder_(folder) {
    if (::geteuid() != 0) {
        whyNot_ = "mounting a small tmpfs needs root";
        return;
    }
    std::filesystem::create_directories(folder);
    const std::string options = std::string("size=") + size;
    if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) != 0) {
        whyNot_ = std::string("cannot mount tmpfs here: ") + std::strerror(errno);
        return;
    }
    mounted_ = true;
}

SmallDisk::~SmallDisk() {
    if (mounted_) {
        ::umount2(folder_.c_str(), MNT_DETACH);
    }
}

}  // namespace lumigram::test
#endif
