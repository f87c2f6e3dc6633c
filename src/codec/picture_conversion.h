#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "codec/skin_format.h"

namespace lumigram {

class ByteSink;
class ByteSource;

// What a file holds, told by its content alone: a ".k" header (18 or 32 bits per
// pixel, with every pixel row in the file), or a BMP, PNG or GIF signature.
enum class PictureKind { kSkin, kBmp, kPng, kGif, kUnknown };

// The formats a conversion writes.
enum class TargetFormat { kK, kG, kBmp, kPng };

// ".k", ".g", ".bmp", ".png" (any case) and "k", "g", "bmp", "png".
std::optional<TargetFormat> TargetFromExtension(std::string_view path);
std::optional<TargetFormat> TargetFromName(std::string_view name);
const char* TargetExtension(TargetFormat target);  // ".k", ".g", ".bmp", ".png"

// Reads the first bytes of a source; raises what the source raises.
PictureKind PictureKindOf(ByteSource& input);
// The same for the file at path; raises IoError when it cannot be read.
PictureKind ReadPictureKind(const std::string& path);

// Where an input goes when nothing names a format: a ".k" to PNG, a BMP or PNG
// to ".k", a GIF to ".g". Nothing for an unknown file.
std::optional<TargetFormat> DefaultTarget(PictureKind kind);

// Why an input of this kind cannot be converted to target, as a sentence that
// says what would work; an empty string when it can.
std::string ConversionRefusal(PictureKind kind, TargetFormat target);

struct ConversionOptions {
    TransparencyColour colour;
    bool transparencyEnabled = true;
};

// Converts a source of kind (see PictureKindOf) into output (from its start,
// strictly in order when output is a stream). Refused conversions raise
// FormatError naming the input.
// - ".k" to PNG (transparency as alpha) or BMP (the decode);
// - BMP to ".k": 24- and 32-bit as encode packs them, 1-, 4-, 8-bit palette and
//   16-bit pictures through their RGBA rows;
// - PNG to ".k" with its alpha as the mask;
// - GIF or PNG to ".g": copied unchanged.
void ConvertPicture(ByteSource& input, PictureKind kind, TargetFormat target, ByteSink& output,
                    const ConversionOptions& options);
// The same for the file at inputPath.
void ConvertPicture(const std::string& inputPath, PictureKind kind, TargetFormat target,
                    ByteSink& output, const ConversionOptions& options);

// ConvertPicture into a whole output at outputPath through the output layer
// ("-", a FIFO or a character device written straight).
void ConvertPictureTo(const std::string& inputPath, const std::string& outputPath,
                      TargetFormat target, const ConversionOptions& options);

// The window's Export PNG: a picture as a PNG, with its transparency. A ".k" as
// convert writes it (its mask as alpha when transparency is enabled); a BMP
// with its pixels of exactly the transparency colour transparent (when
// enabled); a PNG copied unchanged. Anything else is refused with a
// FormatError naming the input.
void ExportPictureAsPng(ByteSource& input, ByteSink& output, const ConversionOptions& options);
// The same from the file at inputPath to one at outputPath.
void ExportPictureAsPng(const std::string& inputPath, const std::string& outputPath,
                        const ConversionOptions& options);

}  // namespace lumigram
