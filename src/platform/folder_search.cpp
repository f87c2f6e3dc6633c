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
    const auto folded = [](char x, char y) {
        return FoldUpper(static_cast<unsigned char>(x)) < FoldUpper(static_cast<unsigned char>(y));
    };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), folded)) {
        return true;
    }
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), folded)) {
        return false;
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
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code error;
    const fs::path root = folder.empty() ? fs::path(".") : fs::path(std::string(folder));
    // A folder that cannot be listed is an error, never an empty result: "no
    // pictures" and "could not look" must not read the same.
    const std::string shown = folder.empty() ? std::string(".") : std::string(folder);
    const auto fail = [&](const std::error_code& cause) {
        if (cause.value() == ENOTDIR) {
            throw IoError(kFileNotFound, shown, "is not a folder");
        }
        if (cause.value() == ENOENT) {
            throw IoError(kFileNotFound, shown, "folder not found");
        }
        ThrowIoErrorFromErrno(cause.value(), shown);
    };
    fs::directory_iterator it(root, error);
    if (error) {
        fail(error);
    }
    for (const fs::directory_iterator end; it != end;) {
        std::string name = it->path().filename().string();
        std::error_code statError;
        // Folders, devices and dangling links are not files; hidden names are
        // left out (our own temporaries among them).
        if (!name.empty() && name.front() != '.' && HasExtensionIgnoringCase(name, extension) &&
            it->is_regular_file(statError) && !statError) {
            names.push_back(std::move(name));
        }
        it.increment(error);
        if (error) {
            fail(error);
        }
    }
    std::sort(names.begin(), names.end(), SearchOrderLess);
    return names;
}
#endif

}  // namespace lumigram
