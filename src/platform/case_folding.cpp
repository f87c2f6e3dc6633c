#include "platform/case_folding.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace lumigram {
namespace {

struct Fold {
    std::uint32_t from;
    std::uint32_t to;
};

constexpr Fold kFolds[] = {
#include "platform/case_folding_table.inc"
};

std::uint32_t Folded(std::uint32_t c) {
    if (c < 0x80) {
        return c >= 'A' && c <= 'Z' ? c + 32 : c;
    }
    const auto* at =
        std::lower_bound(std::begin(kFolds), std::end(kFolds), c,
                         [](const Fold& fold, std::uint32_t v) { return fold.from < v; });
    return at != std::end(kFolds) && at->from == c ? at->to : c;
}

// The code point of the well-formed UTF-8 sequence at the start of text and
// its length, or a length of 0.
std::pair<std::uint32_t, std::size_t> Decode(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = 0;
    std::uint32_t value = 0;
    std::uint32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1Fu, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0Fu, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07u, minimum = 0x10000;
    } else {
        return {0, 0};
    }
    if (text.size() < length) {
        return {0, 0};
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80) {
            return {0, 0};
        }
        value = (value << 6) | (next & 0x3Fu);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return {0, 0};
    }
    return {value, length};
}

void Encode(std::uint32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::string FoldCase(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const auto byte = static_cast<unsigned char>(text[0]);
        if (byte < 0x80) {
            out += static_cast<char>(Folded(byte));
            text.remove_prefix(1);
            continue;
        }
        const auto [c, length] = Decode(text);
        if (length == 0) {
            out += text[0];  // not UTF-8: kept as the byte it is
            text.remove_prefix(1);
            continue;
        }
        Encode(Folded(c), out);
        text.remove_prefix(length);
    }
    return out;
}

}  // namespace lumigram
