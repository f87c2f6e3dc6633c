#pragma once

namespace lumigram {

// The value of a hexadecimal digit of either case, or -1 for any other
// character. Strict on purpose: package headers and colour options alike are
// refused rather than guessed at when a character is not a digit.
constexpr int HexDigitValue(char ch) {
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
