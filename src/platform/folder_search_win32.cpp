// The folder search on Windows: FindFirstFileW over "folder\*", names turned
// to UTF-8. The rules are those of FindFiles everywhere (folder_search.h).
#include <windows.h>

#include <algorithm>

#include "platform/folder_search.h"
#include "platform/io_error.h"
#include "platform/path.h"
#include "platform/wide_text.h"

namespace lumigram {

std::vector<std::string> FindFiles(std::string_view folder, std::string_view extension) {
    const std::string shown = folder.empty() ? std::string(".") : std::string(folder);
    const DWORD attributes = ::GetFileAttributesW(Widen(shown).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            throw IoError(IoCode::kFolderNotFound, shown, "folder not found");
        }
        ThrowIoErrorFromWindowsError(error, shown);
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        throw IoError(IoCode::kFileNotFound, shown, "is not a folder");
    }
    const std::string pattern = IsPathDelimiter(shown.back()) ? shown + "*" : JoinPath(shown, "*");
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileExW(Widen(pattern).c_str(), FindExInfoBasic, &found,
                                             FindExSearchNameMatch, nullptr, 0);
    std::vector<std::string> names;
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) {
            return names;  // not even "." and "..": an empty root
        }
        ThrowIoErrorFromWindowsError(error, shown);
    }
    do {
        // Folders and devices are not files; hidden names are left out (our
        // own temporaries among them). A link counts when it leads to a file.
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            continue;
        }
        std::string name = Narrow(found.cFileName);
        if (name.empty() || name.front() == '.' || !HasExtensionIgnoringCase(name, extension)) {
            continue;
        }
        if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            const DWORD target = ::GetFileAttributesW(Widen(JoinPath(shown, name)).c_str());
            if (target == INVALID_FILE_ATTRIBUTES || (target & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                continue;
            }
        }
        names.push_back(std::move(name));
    } while (::FindNextFileW(search, &found));
    const DWORD error = ::GetLastError();
    ::FindClose(search);
    if (error != ERROR_NO_MORE_FILES) {
        ThrowIoErrorFromWindowsError(error, shown);
    }
    std::sort(names.begin(), names.end(), SearchOrderLess);
    return names;
}

// One listing per extension: Windows filters by pattern anyway.
std::vector<std::vector<std::string>> FindFilesOfEach(
    std::string_view folder, std::span<const std::string_view> extensions) {
    std::vector<std::vector<std::string>> lists;
    for (const std::string_view extension : extensions) {
        lists.push_back(FindFiles(folder, extension));
    }
    return lists;
}

}  // namespace lumigram
