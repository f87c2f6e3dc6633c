#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace lumigram {

class ByteSource;

// What an ordinary picture file is, told by its signature.
enum class PictureFormat { kUnknown, kBmp, kGif, kPng };

// "BMP", "GIF", "PNG" ("" for kUnknown).
const char* PictureFormatName(PictureFormat format);

// The format whose signature head starts with: the eight PNG bytes, "GIF87a" or
// "GIF89a", or "BM" followed at byte 14 by the size of a known BMP information
// header (12, 40, 52, 56, 64, 108 or 124 bytes). A ".k" header keeps bytes 14-15
// reserved (zero when Lumigram writes it), so "BM" alone is no proof.
PictureFormat SniffPictureFormat(std::span<const std::uint8_t> head);

// Reads the first bytes of the file at path and sniffs them.
PictureFormat ReadPictureFormat(const std::string& path);

// Refusals of a conversion run the wrong way round, each a FormatError naming the
// input with a hint at the command that does what was meant.
// - A skin picture to be decoded or described must not be a BMP, GIF or PNG
//   ("is a PNG picture, not a skin picture").
void CheckSkinPictureInput(const std::string& input);
// The same for a source (the page's bytes); the message names the source.
void CheckSkinPictureInput(ByteSource& input);
// The refusal itself, for a picture of format (none for kUnknown).
void RefuseOrdinaryPicture(PictureFormat format, const std::string& input);
// - A picture to be encoded must not be a ".k" (any case); it must begin with
//   "BM" (the encoder checks the rest) or be a GIF or PNG, and a GIF or PNG is
//   only copied unchanged to an output ending in ".g" (any case). (A PNG to an
//   output ending in ".k" is encoded with its alpha before this check.)
void CheckEncodeInput(const std::string& input, const std::string& output);

}  // namespace lumigram
