#include "platform/windows_names.h"

#include <array>
#include <string>

namespace lumigram {

bool IsReservedDeviceName(std::string_view name) {
    const std::string_view stem = name.substr(0, name.find('.'));
    std::string upper;
    for (const char c : stem) {
        upper += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    while (!upper.empty() && upper.back() == ' ') {
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

}  // namespace lumigram
