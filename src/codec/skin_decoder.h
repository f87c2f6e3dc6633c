#pragma once

#include <cstdint>
#include <string>

#include "codec/skin_format.h"

namespace lumigram {

class ByteFile;

// Reads the header of an opened ".k" file and checks, before anything is
// allocated or written, that the picture can be decoded safely:
// - the file holds the whole 16-byte header;
// - an 18-bit row fits the row buffer (Width × 3 ≤ 65,536);
// - every pixel row (16 + Height × RowStride bytes) is in the file;
// - RowStride holds the pixels of a row (RowPixelBytes), so no pixel is read
//   from another row's bytes and the work is bounded by the file's size.
// Raises FormatError naming the file otherwise.
SkinHeader ReadCheckedSkinHeader(ByteFile& input);

// Decodes the ".k" picture at inputPath into an uncompressed BMP at outputPath.
// With transparency enabled, pixels whose mask bit is 0 come out in colour; mask
// bits that are not in the file (missing or short mask rows, the unstored last
// pixels of a row) count as opaque. The input is opened (and checked) before the
// output is created, so a refused input leaves any earlier output untouched.
// The output goes through the output layer (written whole, then renamed into
// place); "-", a FIFO or a character device at outputPath is written straight.
void DecodeSkinPictureTo(const std::string& inputPath, const std::string& outputPath,
                         TransparencyColour colour, bool transparencyEnabled);

// Decodes an opened and checked ".k" picture (see ReadCheckedSkinHeader) into
// output, from its start and strictly in order, so output may be a stream.
void DecodeCheckedSkinPicture(ByteFile& input, const SkinHeader& header, ByteFile& output,
                              TransparencyColour colour, bool transparencyEnabled);

// Decodes fileName into scratchDir + "temp.bmp".
void DecodeSkinPictureInto(const std::string& scratchDir, const std::string& fileName,
                           TransparencyColour colour, bool transparencyEnabled);

// The window's entry point: decodes fileName into ScratchDir() + "temp.bmp".
void DecodeSkinPicture(const std::string& fileName, std::uint8_t blue, std::uint8_t green,
                       std::uint8_t red, bool transparencyEnabled);

}  // namespace lumigram
