#include "platform/printable_text.h"

namespace lumigram {
namespace {

void AppendHex(std::string& out, unsigned value) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += "\\x";
    out += kHex[(value >> 4) & 15];
    out += kHex[value & 15];
}

// Length of the well-formed UTF-8 sequence at the start of text, or 0.
std::size_t Utf8SequenceLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = 0;
    unsigned minimum = 0;
    unsigned value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, minimum = 0x80, value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, minimum = 0x800, value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, minimum = 0x10000, value = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        value = (value << 6) | (next & 0x3F);
    }
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    return value < minimum || value > 0x10FFFF || surrogate ? 0 : length;
}

}  // namespace

std::string EscapeControls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const auto byte = static_cast<unsigned char>(text[0]);
        if (byte < 0x80) {
            if (byte == '\n') {
                out += "\\n";
            } else if (byte == '\t') {
                out += "\\t";
            } else if (byte == '\r') {
                out += "\\r";
            } else if (byte < 0x20 || byte == 0x7F) {
                AppendHex(out, byte);
            } else {
                out += static_cast<char>(byte);
            }
            text.remove_prefix(1);
            continue;
        }
        const std::size_t length = Utf8SequenceLength(text);
        if (length == 0) {
            AppendHex(out, byte);  // not UTF-8: shown as the byte it is
            text.remove_prefix(1);
        } else if (length == 2 && byte == 0xC2 && static_cast<unsigned char>(text[1]) < 0xA0) {
            AppendHex(out, static_cast<unsigned char>(text[1]));  // a C1 control
            text.remove_prefix(2);
        } else {
            out.append(text.substr(0, length));
            text.remove_prefix(length);
        }
    }
    return out;
}

}  // namespace lumigram
