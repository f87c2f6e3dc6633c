#pragma once

#include <cstdint>
#include <string>

#include "codec/skin_format.h"

namespace lumigram {

class ByteFile;
class RgbaRowSource;

// Reads and checks the header of a ".k" picture that occupies size bytes of input
// from base (a whole file, or a member of a package) as the decoder does: the
// header is there, every pixel row lies within the size, an 18-bit row fits the
// row buffer, RowStride holds a row's pixels. Raises FormatError naming the file.
SkinHeader ReadCheckedSkinHeaderAt(ByteFile& input, std::uint64_t base, std::uint64_t size);

// Writes a checked ".k" picture as PNG to output, strictly in order, one row at a
// time.
// - 18-bit: every pixel carries its colour widened as the BMP decode gives it.
//   With a mask plane and transparency enabled the PNG is RGBA: mask bit 1 gives
//   alpha 255, mask bit 0 alpha 0 (mask bits not in the file count as opaque).
//   Otherwise it is RGB: every pixel opaque.
// - 32-bit: RGBA, red, green, blue from the pixel's third, second and first
//   bytes and alpha from its fourth, with a tEXt chunk marking it so that the
//   way back gives the 32-bit picture byte for byte.
// Any other depth is refused.
void EncodeSkinAsPng(ByteFile& input, std::uint64_t base, std::uint64_t size,
                     const SkinHeader& header, ByteFile& output, bool transparencyEnabled);

// Writes RGBA rows as an RGBA PNG to output, strictly in order.
void WriteRowsAsPng(RgbaRowSource& source, ByteFile& output);

// The whole ".k" file at inputPath as a PNG at outputPath, through the output
// layer ("-", a FIFO or a character device written straight).
void DecodeSkinPictureToPng(const std::string& inputPath, const std::string& outputPath,
                            bool transparencyEnabled);

}  // namespace lumigram
