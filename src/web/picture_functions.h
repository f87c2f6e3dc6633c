#pragma once

#include <string>

#include <emscripten/val.h>

#include "codec/picture_conversion.h"

// The page's picture functions: byte arrays in, byte arrays or plain objects
// out, an Error value for every refusal (see js_bytes.h).
namespace lumigram::web {

// The page's transparency settings (the colour as 0xRRGGBB) as the codec takes
// them, the same for every function that encodes or decodes.
ConversionOptions ConversionOptionsOf(bool transparency, unsigned colour);

// {kind: "k"|"bmp"|"png"|"gif"|"ezx"|"other", width, height, bits, alpha}, told
// by content; width, height and bits are 0 where the kind has none. alpha: a
// PNG with an alpha channel or a transparent colour (tRNS), as convert sees it.
emscripten::val Describe(const emscripten::val& bytes, const std::string& name);

// A ".k" as the window shows it: {width, height, bits, hasMask, rgba}, straight
// alpha. With transparency, a masked-out 18-bit pixel has alpha 0 and the
// colour (0xRRGGBB) a BMP decode would give it.
emscripten::val DecodeSkin(const emscripten::val& bytes, const std::string& name, bool transparency,
                           unsigned colour);

// What `lumigram-cli decode NAME out.bmp` writes, with --transparency-color
// colour (0xRRGGBB), or --no-transparency when transparency is false.
emscripten::val SkinToBmp(const emscripten::val& bytes, const std::string& name, bool transparency,
                          unsigned colour);

// What `lumigram-cli convert NAME.k -o out.png` writes, with the same
// transparency options (a build without PNG refuses it, naming the picture).
emscripten::val SkinToPng(const emscripten::val& bytes, const std::string& name, bool transparency,
                          unsigned colour);

// What `lumigram-cli convert NAME -o out.k` writes for a BMP, with the same
// transparency options.
emscripten::val PictureToSkin(const emscripten::val& bytes, const std::string& name,
                              bool transparency, unsigned colour);

// What `lumigram-cli convert` writes for a PNG of these straight-alpha pixels,
// with the transparency options as for PictureToSkin.
// hasAlpha: the PNG's describe().alpha; when undefined, whether any pixel is
// less than fully opaque (which differs only for a PNG with an alpha channel
// and no transparent pixel: convert gives that one an all-opaque mask).
emscripten::val RgbaToSkin(const emscripten::val& rgba, unsigned width, unsigned height,
                           const emscripten::val& hasAlpha, bool transparency, unsigned colour);

}  // namespace lumigram::web
