#include "platform/path.h"

#include "platform/folder_search.h"

namespace lumigram {

bool IsPathDelimiter(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/' || c == ':';
#else
    return c == '/';
#endif
}

namespace {

// Index just past the last delimiter (0 when there is none).
std::size_t NameStart(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        if (IsPathDelimiter(path[i - 1])) {
            return i;
        }
    }
    return 0;
}

// Index of the extension's "." or npos.
std::size_t ExtensionStart(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot < NameStart(path)) {
        return std::string_view::npos;
    }
    return dot;
}

}  // namespace

std::string ExtractFileExt(std::string_view path) {
    const std::size_t dot = ExtensionStart(path);
    return dot == std::string_view::npos ? std::string() : std::string(path.substr(dot));
}

std::string ExtractFilePath(std::string_view path) {
    return std::string(path.substr(0, NameStart(path)));
}

std::string ExtractFileName(std::string_view path) {
    return std::string(path.substr(NameStart(path)));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
    const std::size_t dot = ExtensionStart(path);
    std::string result(dot == std::string_view::npos ? path : path.substr(0, dot));
    result += ext;
    return result;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string result(folder);
    result += kPathSeparator;
    result += name;
    return result;
}

FileKind FileKindOf(std::string_view path) {
    // Memory cards often hold upper-case names: ".K" is as much a skin picture.
    if (HasExtensionIgnoringCase(path, ".k")) {
        return FileKind::kSkin;
    }
    if (HasExtensionIgnoringCase(path, ".g")) {
        return FileKind::kGPicture;
    }
    return FileKind::kOrdinary;
}

}  // namespace lumigram
