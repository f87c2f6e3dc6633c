#include "platform/private_scratch.h"

#include <charconv>
#include <filesystem>
#include <system_error>

#include "platform/system_calls.h"

namespace lumigram {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kPrefix = "lumigram-window-";

// The process id in a scratch folder's name, or 0 when the name is not one.
sys::ProcessId OwnerOf(const std::string& name) {
    if (name.rfind(kPrefix, 0) != 0) {
        return 0;
    }
    const char* first = name.data() + kPrefix.size();
    const char* last = name.data() + name.size();
    sys::ProcessId pid = 0;
    const auto [end, error] = std::from_chars(first, last, pid);
    if (error != std::errc() || end == first || end == last || *end != '-') {
        return 0;
    }
    return pid;
}

}  // namespace

std::string ScratchFolderBase() {
    return sys::ScratchBase();
}

int RemoveStaleScratchFolders(const std::string& base) {
    int removed = 0;
    std::error_code error;
    for (fs::directory_iterator it(sys::NativePath(base), error), end; !error && it != end;
         it.increment(error)) {
        const sys::ProcessId owner = OwnerOf(sys::Utf8Of(it->path().filename()));
        std::error_code ignored;
        if (owner != 0 && owner != sys::CurrentProcess() && !sys::ProcessRuns(owner) &&
            it->is_directory(ignored) && !it->is_symlink(ignored)) {
            fs::remove_all(it->path(), ignored);
            removed += ignored ? 0 : 1;
        }
    }
    return removed;
}

PrivateScratchFolder::PrivateScratchFolder() {
    const std::string base = ScratchFolderBase();
    RemoveStaleScratchFolders(base);
    path_ = sys::MakePrivateFolder(
        base, std::string(kPrefix) + std::to_string(sys::CurrentProcess()) + "-");
}

PrivateScratchFolder::~PrivateScratchFolder() {
    Remove();
}

void PrivateScratchFolder::Remove() noexcept {
    std::error_code ignored;
    fs::remove_all(sys::NativePath(path_), ignored);
}

}  // namespace lumigram
