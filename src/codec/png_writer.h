#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

namespace lumigram {

class ByteSink;

// What a written PNG holds: 8-bit RGB or RGBA, not interlaced, and at most one
// tEXt chunk (none when its keyword is empty). An RGB one may name one colour
// that stands for transparent pixels (a tRNS chunk).
struct PngLayout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool alpha = false;
    std::optional<std::array<std::uint8_t, 3>> transparentRgb;
    std::string textKeyword;
    std::string text;
};

// Hands over row y (width × 3 or 4 bytes) in out. Rows are asked for in order,
// top first, one at a time, on the calling thread.
using PngRowFiller = std::function<void(std::uint32_t y, std::span<std::uint8_t> out)>;

// Writes a PNG to output strictly in order. Each row gets the filter that
// suits it best. A large picture is deflated in bands of rows on two threads,
// each band a piece of deflate stream primed with the 32 KiB before it, so
// that the pieces join into one zlib stream about as small as one pass gives;
// a small one on the calling thread alone. Rows are read and the file written
// on the calling thread only; whatever it raises stops the helper thread
// before it leaves. Memory stays a few MiB whatever the picture's size.
void WritePng(ByteSink& output, const PngLayout& layout, const PngRowFiller& fill);

}  // namespace lumigram
