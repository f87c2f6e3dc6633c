#include "platform/folder_search.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

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

std::vector<std::string> FindFiles(std::string_view folder, std::string_view extension) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code error;
    const fs::path root = folder.empty() ? fs::path(".") : fs::path(std::string(folder));
    fs::directory_iterator it(root, error);
    if (error) {
        return names;
    }
    for (const fs::directory_iterator end; it != end; it.increment(error)) {
        if (error) {
            break;
        }
        std::string name = it->path().filename().string();
        if (name.empty() || name.front() == '.' || !HasExtensionIgnoringCase(name, extension)) {
            continue;
        }
        std::error_code statError;
        if (!it->is_regular_file(statError) || statError) {
            continue;  // folders, devices and dangling links are not files
        }
        names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(), SearchOrderLess);
    return names;
}

}  // namespace lumigram
