#include "package/member_names.h"

#include "platform/ansi_codepage.h"
#include "platform/printable_text.h"
#include "platform/windows_names.h"

namespace lumigram {

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
    // Windows drops them when it makes the file, so "a.k." would land on "a.k".
    if (storedName.ends_with('.') || storedName.ends_with(' ')) {
        return "it ends in a dot or a space";
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

std::string ShownMemberName(std::string_view storedName) {
    return ShownUtf8MemberName(AnsiToUtf8(storedName));
}

std::string ShownUtf8MemberName(std::string_view name) {
    std::string doubled;
    for (const char c : name) {
        doubled += c;
        if (c == '\\') {
            doubled += c;
        }
    }
    return EscapeControls(doubled);
}

}  // namespace lumigram
