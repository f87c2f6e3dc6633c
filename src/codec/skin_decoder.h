#pragma once

#include <cstdint>
#include <string>

#include "codec/skin_format.h"

namespace lumigram {

class ByteSink;
class ByteSource;

// Reads the header of a ".k" picture and checks, before anything is allocated
// or written, that the picture can be decoded safely:
// - the source holds the whole 16-byte header;
// - an 18-bit row fits the row buffer (Width × 3 ≤ 65,536);
// - every pixel row (16 + Height × RowStride bytes) is in the source;
// - RowStride holds the pixels of a row (RowPixelBytes), so no pixel is read
//   from another row's bytes and the work is bounded by the source's size.
// Raises FormatError naming the source otherwise. A package member is checked
// as a SubSource of its package.
SkinHeader ReadCheckedSkinHeader(ByteSource& input);

// The length of a BMP row the decoder writes for header: the row's pixels
// (RowPixelBytes) rounded up to a multiple of 4, whatever RowStride says.
constexpr std::uint32_t BmpRowBytesFor(const SkinHeader& header) {
    return RoundUpTo4(static_cast<std::uint32_t>(RowPixelBytes(header)));
}

// Decodes a checked ".k" picture (see ReadCheckedSkinHeader) into an
// uncompressed BMP, from its start and strictly in order, so output may be a
// stream. With transparency enabled, pixels whose mask bit is 0 come out in
// colour; mask bits that are not in the source (missing or short mask rows, the
// unstored last pixels of a row) count as opaque. Each BMP row holds the row's
// pixels and then zero to three padding bytes (BmpRowBytesFor): where RowStride
// is that length the padding is the stored row's own, otherwise it is zero.
void DecodeCheckedSkinPicture(ByteSource& input, const SkinHeader& header, ByteSink& output,
                              TransparencyColour colour, bool transparencyEnabled);

// Checks and decodes a ".k" picture into a BMP.
void DecodeSkinToBmp(ByteSource& input, ByteSink& output, TransparencyColour colour,
                     bool transparencyEnabled);

// Decodes the ".k" picture at inputPath into an uncompressed BMP at outputPath.
// The input is opened (and checked) before the output is created, so a refused
// input leaves any earlier output untouched. The output goes through the
// output layer (written whole, then renamed into place); "-", a FIFO or a
// character device at outputPath is written straight.
void DecodeSkinPictureTo(const std::string& inputPath, const std::string& outputPath,
                         TransparencyColour colour, bool transparencyEnabled);

// Decodes fileName into scratchDir + "temp.bmp".
void DecodeSkinPictureInto(const std::string& scratchDir, const std::string& fileName,
                           TransparencyColour colour, bool transparencyEnabled);

// The window's entry point: decodes fileName into ScratchDir() + "temp.bmp".
void DecodeSkinPicture(const std::string& fileName, std::uint8_t blue, std::uint8_t green,
                       std::uint8_t red, bool transparencyEnabled);

}  // namespace lumigram
