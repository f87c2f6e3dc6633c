#pragma once

#include <string>
#include <string_view>

namespace lumigram {

// The separator this platform joins paths with ("\" on Windows, "/" elsewhere).
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// True for a character that ends a folder part: "/" on POSIX; "\", "/" and ":"
// on Windows.
bool IsPathDelimiter(char c);

// The extension: from the last "." to the end, provided that "." comes after the
// last delimiter; otherwise empty. "dir.v2/file" has none, "a.b.k" has ".k".
std::string ExtractFileExt(std::string_view path);

// The folder part including its trailing delimiter ("" when there is none).
std::string ExtractFilePath(std::string_view path);

// The name part after the last delimiter.
std::string ExtractFileName(std::string_view path);

// The path with its extension replaced by ext (which carries its own ".").
std::string ChangeFileExt(std::string_view path, std::string_view ext);

// folder + one separator + name, the way every member and scratch path is formed.
std::string JoinPath(std::string_view folder, std::string_view name);

// What a file is taken to be, from its extension in any case.
enum class FileKind : unsigned char {
    kNone = 0,      // nothing opened yet
    kSkin = 1,      // ".k" or ".K": a skin picture, decoded by the codec
    kOrdinary = 2,  // anything else (".a", ".BMP", none): BMP, GIF or PNG
    kGPicture = 3,  // ".g" or ".G": a GIF or PNG under the skin extension
};

FileKind FileKindOf(std::string_view path);

}  // namespace lumigram
