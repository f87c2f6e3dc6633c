#include "platform/folder_search.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/io_error.h"

namespace lumigram {
namespace {

unsigned char FoldUpper(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

}  // namespace

bool SearchOrderLess(std::string_view a, std::string_view b) {
    // One pass: case-blind order first, then the shorter name, and only for
    // names equal but for case the bytes themselves (sorting thousands of
    // members compares often).
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto x = FoldUpper(static_cast<unsigned char>(a[i]));
        const auto y = FoldUpper(static_cast<unsigned char>(b[i]));
        if (x != y) {
            return x < y;
        }
    }
    if (a.size() != b.size()) {
        return a.size() < b.size();
    }
    const auto bytes = [](char x, char y) {
        return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    };
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), bytes);
}

bool HasExtensionIgnoringCase(std::string_view name, std::string_view extension) {
    if (name.size() < extension.size()) {
        return false;
    }
    const std::string_view tail = name.substr(name.size() - extension.size());
    return std::equal(tail.begin(), tail.end(), extension.begin(), [](char x, char y) {
        return FoldUpper(static_cast<unsigned char>(x)) == FoldUpper(static_cast<unsigned char>(y));
    });
}

#ifndef _WIN32  // folder_search_win32.cpp lists with FindFirstFileW
std::vector<std::string> FindFiles(std::string_view folder, std::string_view extension) {
    const std::string_view extensions[] = {extension};
    return std::move(FindFilesOfEach(folder, extensions).front());
}

std::vector<std::vector<std::string>> FindFilesOfEach(
    std::string_view folder, std::span<const std::string_view> extensions) {
    namespace fs = std::filesystem;
    std::vector<std::vector<std::string>> lists(extensions.size());
    std::error_code error;
    const fs::path root = folder.empty() ? fs::path(".") : fs::path(std::string(folder));
    // A folder that cannot be listed is an error, never an empty result: "no
    // pictures" and "could not look" must not read the same.
    const std::string shown = folder.empty() ? std::string(".") : std::string(folder);
    const auto fail = [&](const std::error_code& cause) {
        if (cause.value() == ENOTDIR) {
            throw IoError(IoCode::kFileNotFound, shown, "is not a folder");
        }
        if (cause.value() == ENOENT) {
            throw IoError(IoCode::kFolderNotFound, shown, "folder not found");
        }
        ThrowIoErrorFromErrno(cause.value(), shown);
    };
    fs::directory_iterator it(root, error);
    if (error) {
        fail(error);
    }
    for (const fs::directory_iterator end; it != end;) {
        std::string name = it->path().filename().string();
        const auto which = std::find_if(
            extensions.begin(), extensions.end(),
            [&](std::string_view extension) { return HasExtensionIgnoringCase(name, extension); });
        std::error_code statError;
        // Folders, devices and dangling links are not files; hidden names are
        // left out (our own temporaries among them).
        if (!name.empty() && name.front() != '.' && which != extensions.end() &&
            it->is_regular_file(statError) && !statError) {
            lists[static_cast<std::size_t>(which - extensions.begin())].push_back(std::move(name));
        }
        it.increment(error);
        if (error) {
            fail(error);
        }
    }
    for (std::vector<std::string>& names : lists) {
        std::sort(names.begin(), names.end(), SearchOrderLess);
    }
    return lists;
}
#endif

}  // namespace lumigram
