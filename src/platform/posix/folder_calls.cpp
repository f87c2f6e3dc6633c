// Private folders and processes on POSIX.
#include <signal.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "platform/io_error.h"
#include "platform/system_calls.h"

namespace lumigram::sys {

ProcessId CurrentProcess() {
    return static_cast<ProcessId>(::getpid());
}

bool ProcessRuns(ProcessId pid) {
    // EPERM: it runs, under another user.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

std::string TemporaryBase() {
    std::error_code error;
    const std::filesystem::path temp = std::filesystem::temp_directory_path(error);
    return error ? std::string("/tmp") : temp.string();
}

std::string ScratchBase() {
    std::error_code error;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        runtime != nullptr && *runtime != '\0' && std::filesystem::is_directory(runtime, error)) {
        return runtime;
    }
    return TemporaryBase();
}

std::string MakePrivateFolder(const std::string& base, const std::string& prefix) {
    std::string pattern = (std::filesystem::path(base) / (prefix + "XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) {  // mkdtemp makes it 0700
        ThrowIoErrorFromErrno(errno, pattern);
    }
    return pattern;
}

std::filesystem::path NativePath(const std::string& path) {
    return std::filesystem::path(path);
}

std::string Utf8Of(const std::filesystem::path& path) {
    return path.string();
}

}  // namespace lumigram::sys
