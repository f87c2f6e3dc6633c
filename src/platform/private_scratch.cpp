#include "platform/private_scratch.h"

#include <signal.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/io_error.h"

namespace lumigram {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kPrefix = "lumigram-window-";

// The process id in a scratch folder's name, or 0 when the name is not one.
pid_t OwnerOf(const std::string& name) {
    if (name.rfind(kPrefix, 0) != 0) {
        return 0;
    }
    const char* first = name.data() + kPrefix.size();
    const char* last = name.data() + name.size();
    long pid = 0;
    const auto [end, error] = std::from_chars(first, last, pid);
    if (error != std::errc() || end == first || end == last || *end != '-' || pid <= 0) {
        return 0;
    }
    return static_cast<pid_t>(pid);
}

bool ProcessRuns(pid_t pid) {
    // EPERM: it runs, under another user.
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

}  // namespace

std::string ScratchFolderBase() {
    std::error_code error;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        runtime != nullptr && *runtime != '\0' && fs::is_directory(runtime, error)) {
        return runtime;
    }
    const fs::path temp = fs::temp_directory_path(error);
    return error ? std::string("/tmp") : temp.string();
}

int RemoveStaleScratchFolders(const std::string& base) {
    int removed = 0;
    std::error_code error;
    for (fs::directory_iterator it(base, error), end; !error && it != end; it.increment(error)) {
        const pid_t owner = OwnerOf(it->path().filename().string());
        std::error_code ignored;
        if (owner != 0 && owner != ::getpid() && !ProcessRuns(owner) && it->is_directory(ignored) &&
            !it->is_symlink(ignored)) {
            fs::remove_all(it->path(), ignored);
            removed += ignored ? 0 : 1;
        }
    }
    return removed;
}

PrivateScratchFolder::PrivateScratchFolder() {
    const std::string base = ScratchFolderBase();
    RemoveStaleScratchFolders(base);
    std::string pattern =
        (fs::path(base) / (std::string(kPrefix) + std::to_string(::getpid()) + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) {  // mkdtemp makes it 0700
        ThrowIoErrorFromErrno(errno, pattern);
    }
    path_ = std::move(pattern);
}

PrivateScratchFolder::~PrivateScratchFolder() {
    Remove();
}

void PrivateScratchFolder::Remove() noexcept {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

}  // namespace lumigram
