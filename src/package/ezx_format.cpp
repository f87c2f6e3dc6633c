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

}  // namespace lumigram
