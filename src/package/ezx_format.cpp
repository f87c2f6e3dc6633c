#include "package/ezx_format.h"

namespace lumigram {

std::uint32_t NameToID(std::string_view name) {
    std::uint32_t h = 0;
    for (const char c : name) {
        h = (h << 1) ^ (h >> 20) ^ static_cast<unsigned char>(c);
    }
    return h;
}

char HexDigitChar(unsigned value) {
    return "0123456789abcdef"[value & 15];
}

int HexDigitValue(char ch) {
    if (ch >= '0' && ch <= '9') {
        return ch - '0';
    }
    if (ch >= 'a' && ch <= 'f') {
        return ch - 'a' + 10;
    }
    if (ch >= 'A' && ch <= 'F') {
        return ch - 'A' + 10;
    }
    return -1;
}

}  // namespace lumigram
