// A fresh folder under the user's temporary folder (GetTempPathW), private to
// the user by the ACL that folder passes on; a random name made with
// CreateDirectoryW, which fails rather than reusing a folder that exists.
#include <windows.h>

#include <filesystem>
#include <random>
#include <system_error>

#include "platform/io_error.h"
#include "platform/temporary_folder.h"
#include "platform/wide_text.h"

namespace lumigram {
namespace {

std::wstring TemporaryBase() {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
    return length == 0 || length > MAX_PATH ? std::wstring(L".\\") : std::wstring(buffer, length);
}

}  // namespace

std::string CreateUniqueFolder(const std::wstring& base, const std::string& prefix) {
    std::random_device entropy;
    static constexpr wchar_t kDigits[] = L"0123456789abcdefghijklmnopqrstuvwxyz";
    for (int attempt = 0;; ++attempt) {
        std::wstring path = base + Widen(prefix);
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

TemporaryFolder::TemporaryFolder() {
    path_ = CreateUniqueFolder(TemporaryBase(), "lumigram-");
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(Widen(path_)), ignored);
}

}  // namespace lumigram
