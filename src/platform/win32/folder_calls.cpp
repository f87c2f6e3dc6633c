// Private folders and processes on Windows: folders under the user's
// temporary folder, private to the user by the ACL that folder passes on; a
// process is alive while OpenProcess finds it and it has not ended.
#include <windows.h>

#include <random>

#include "platform/io_error.h"
#include "platform/system_calls.h"
#include "platform/wide_text.h"

namespace lumigram::sys {

ProcessId CurrentProcess() {
    return ::GetCurrentProcessId();
}

bool ProcessRuns(ProcessId pid) {
    const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (process == nullptr) {
        // Access denied: it runs, under another user.
        return ::GetLastError() == ERROR_ACCESS_DENIED;
    }
    const bool running = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    ::CloseHandle(process);
    return running;
}

std::string TemporaryBase() {
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

std::string ScratchBase() {
    return TemporaryBase();
}

std::string MakePrivateFolder(const std::string& base, const std::string& prefix) {
    std::random_device entropy;
    static constexpr wchar_t kDigits[] = L"0123456789abcdefghijklmnopqrstuvwxyz";
    const bool rooted = !base.empty() && (base.back() == '\\' || base.back() == '/');
    const std::wstring start = Widen(rooted ? base : base + "\\") + Widen(prefix);
    // CreateDirectoryW fails rather than reusing a folder that exists.
    for (int attempt = 0;; ++attempt) {
        std::wstring path = start;
        std::uint32_t bits = entropy();
        for (int i = 0; i < 6; ++i, bits /= 36) {
            path += kDigits[bits % 36];
        }
        if (::CreateDirectoryW(path.c_str(), nullptr)) {
            return Narrow(path);
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS || attempt >= 16) {
            ThrowIoErrorFromWindowsError(error, Narrow(path));
        }
    }
}

std::filesystem::path NativePath(const std::string& path) {
    return std::filesystem::path(Widen(path));
}

std::string Utf8Of(const std::filesystem::path& path) {
    return Narrow(path.wstring());
}

}  // namespace lumigram::sys
