#include "package/member_names.h"

#include <array>
#include <cctype>

namespace lumigram {
namespace {

#ifdef _WIN32
bool IsReservedDeviceName(std::string_view name) {
    const std::string_view stem = name.substr(0, name.find('.'));
    std::string upper;
    for (const char c : stem) {
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    while (!upper.empty() && (upper.back() == ' ')) {
        upper.pop_back();
    }
    static constexpr std::array<std::string_view, 4> kPlain = {"CON", "PRN", "AUX", "NUL"};
    for (const std::string_view reserved : kPlain) {
        if (upper == reserved) {
            return true;
        }
    }
    return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) &&
           upper[3] >= '1' && upper[3] <= '9';
}
#endif

}  // namespace

std::string UnsafeMemberNameReason(std::string_view storedName) {
    if (storedName == "." || storedName == "..") {
        return "it names a folder, not a file";
    }
    if (storedName.find('/') != std::string_view::npos ||
        storedName.find('\\') != std::string_view::npos) {
        return "it holds a path separator and would leave the folder";
    }
    if (storedName.find('\0') != std::string_view::npos) {
        return "it holds a NUL byte";
    }
#ifdef _WIN32
    if (storedName.find(':') != std::string_view::npos) {
        return "it holds a drive or stream separator";
    }
    if (IsReservedDeviceName(storedName)) {
        return "it is a reserved device name";
    }
#endif
    return {};
}

std::string EscapeName(std::string_view bytes, bool keepNonAscii) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if ((byte >= 0x20 && byte < 0x7F) || (keepNonAscii && byte >= 0x80)) {
            out += c;
        } else {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out;
}

}  // namespace lumigram
