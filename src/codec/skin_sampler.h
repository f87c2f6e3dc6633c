#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lumigram {

class ByteSource;

// A small picture made from a ".k" file: width × height pixels, top row first,
// each 0xAARRGGBB with straight (not premultiplied) alpha.
struct SampledPicture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint32_t> argb;
};

// The picture at path, scaled to fit maxSide × maxSide with its aspect kept
// (a picture that already fits keeps its size, pixel for pixel). Transparent
// pixels of an 18-bit picture get alpha 0. Only the rows it samples are read,
// each once, two a scaled row: time and memory follow the output's size, never
// the picture's (a 16,383 × 65,535 picture costs what a small one does).
// Raises FormatError for a refused header or a picture with no pixels.
SampledPicture SampleSkinPicture(ByteSource& input, std::uint32_t maxSide);
SampledPicture SampleSkinPicture(const std::string& path, std::uint32_t maxSide);

}  // namespace lumigram
