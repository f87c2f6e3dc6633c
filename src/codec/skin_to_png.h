#pragma once

#include <cstdint>
#include <string>

#include "codec/skin_format.h"

namespace lumigram {

class ByteSink;
class ByteSource;
class RgbaRowSource;

// Writes a ".k" picture, checked by ReadCheckedSkinHeader, as PNG to output,
// strictly in order, one row at a time.
// - 18-bit: every pixel carries its colour widened as the BMP decode gives it.
//   With a mask plane and transparency enabled the PNG is RGBA: mask bit 1 gives
//   alpha 255, mask bit 0 alpha 0 (mask bits not in the source count as
//   opaque). Otherwise it is RGB: every pixel opaque.
// - 32-bit: RGBA, red, green, blue from the pixel's third, second and first
//   bytes and alpha from its fourth, with a tEXt chunk marking it so that the
//   way back gives the 32-bit picture byte for byte.
// Any other depth is refused.
void EncodeSkinAsPng(ByteSource& input, const SkinHeader& header, ByteSink& output,
                     bool transparencyEnabled);

// Checks a ".k" picture and writes it as PNG.
void SkinToPng(ByteSource& input, ByteSink& output, bool transparencyEnabled);

// Writes RGBA rows as an RGBA PNG to output, strictly in order.
void WriteRowsAsPng(RgbaRowSource& source, ByteSink& output);

// The whole ".k" file at inputPath as a PNG at outputPath, through the output
// layer ("-", a FIFO or a character device written straight).
void DecodeSkinPictureToPng(const std::string& inputPath, const std::string& outputPath,
                            bool transparencyEnabled);

}  // namespace lumigram
