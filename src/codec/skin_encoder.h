#pragma once

#include <cstdint>
#include <string>

#include "codec/bmp_header.h"
#include "codec/skin_format.h"

namespace lumigram {

class ByteSink;
class ByteSource;

// What the encoder did with its input.
enum class EncodeOutcome {
    kPacked,  // a BMP, packed into a ".k" skin picture
    kCopied,  // anything else (in practice GIF or PNG), copied unchanged
};

// Encodes a picture into output. One beginning with "BM" is checked (see
// CheckBmpForEncoding) and packed: pixels narrowed to 6:6:6 and, with
// transparency enabled, pixels of exactly colour marked transparent in a mask
// plane. Anything else is copied unchanged. A stream output is written strictly
// in order.
EncodeOutcome EncodeToSkin(ByteSource& input, ByteSink& output, TransparencyColour colour,
                           bool transparencyEnabled);

// EncodeToSkin from the file at inputPath into outputPath. The input is opened
// and checked before the output is created, so a refused input leaves any
// earlier output untouched.
EncodeOutcome EncodeSkinPictureTo(const std::string& inputPath, const std::string& outputPath,
                                  TransparencyColour colour, bool transparencyEnabled);

// Packs a BMP, checked by CheckBmpForEncoding, into output from its start; a
// stream output is written strictly in order.
void EncodeCheckedBmp(ByteSource& input, const BmpLayout& bmp, ByteSink& output,
                      TransparencyColour colour, bool transparencyEnabled);

// Encodes fileName into scratchDir + "temp.k" and, for input that is not a BMP,
// copies that to scratchDir + "temp.g" too.
EncodeOutcome EncodeSkinPictureInto(const std::string& scratchDir, const std::string& fileName,
                                    TransparencyColour colour, bool transparencyEnabled);

// The window's entry point: encodes fileName into ScratchDir() + "temp.k", and for
// input that is not a BMP also copies that to ScratchDir() + "temp.g".
void EncodeSkinPicture(const std::string& fileName, std::uint8_t blue, std::uint8_t green,
                       std::uint8_t red, bool transparencyEnabled);

}  // namespace lumigram
