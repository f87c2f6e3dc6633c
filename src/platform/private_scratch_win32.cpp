// The window's private scratch folder on Windows: under the user's temporary
// folder (private to the user by its ACL), named with the process id so that a
// later start can remove what a crashed run left; a process is alive while
// OpenProcess finds it and it has not ended.
#include <windows.h>

#include <charconv>
#include <filesystem>
#include <system_error>

#include "platform/io_error.h"
#include "platform/private_scratch.h"
#include "platform/temporary_folder.h"
#include "platform/wide_text.h"

namespace lumigram {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kPrefix = "lumigram-window-";

unsigned long OwnerOf(const std::string& name) {
    if (name.rfind(kPrefix, 0) != 0) {
        return 0;
    }
    const char* first = name.data() + kPrefix.size();
    const char* last = name.data() + name.size();
    unsigned long pid = 0;
    const auto [end, error] = std::from_chars(first, last, pid);
    if (error != std::errc() || end == first || end == last || *end != '-' || pid == 0) {
        return 0;
    }
    return pid;
}

bool ProcessRuns(unsigned long pid) {
    const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (process == nullptr) {
        // Access denied: it runs, under another user.
        return ::GetLastError() == ERROR_ACCESS_DENIED;
    }
    const bool running = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    ::CloseHandle(process);
    return running;
}

}  // namespace

std::string ScratchFolderBase() {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH) {
        return ".";
    }
    std::string base = Narrow(std::wstring_view(buffer, length));
    if (base.size() > 3 && (base.back() == '\\' || base.back() == '/')) {
        base.pop_back();  // "C:\Temp\" -> "C:\Temp", as a folder is named elsewhere
    }
    return base;
}

int RemoveStaleScratchFolders(const std::string& base) {
    int removed = 0;
    std::error_code error;
    for (fs::directory_iterator it(fs::path(Widen(base)), error), end; !error && it != end;
         it.increment(error)) {
        const unsigned long owner = OwnerOf(Narrow(it->path().filename().wstring()));
        std::error_code ignored;
        if (owner != 0 && owner != ::GetCurrentProcessId() && !ProcessRuns(owner) &&
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
    path_ = CreateUniqueFolder(
        Widen(base + "\\"), std::string(kPrefix) + std::to_string(::GetCurrentProcessId()) + "-");
}

PrivateScratchFolder::~PrivateScratchFolder() {
    Remove();
}

void PrivateScratchFolder::Remove() noexcept {
    std::error_code ignored;
    fs::remove_all(fs::path(Widen(path_)), ignored);
}

}  // namespace lumigram
