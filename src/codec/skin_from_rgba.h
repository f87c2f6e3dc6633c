#pragma once

#include "codec/skin_format.h"

namespace lumigram {

class ByteSink;
class RgbaRowSource;

// Encodes RGBA rows into a ".k" picture written to output from its start.
// - Normally an 18-bit picture: a pixel of alpha 128 or more is opaque and keeps
//   its colour narrowed to 6:6:6; one below 128 is transparent and is stored as
//   colour narrowed, exactly as a key-coloured BMP pixel is. A mask plane is
//   written when transparency is enabled and the source carries transparency.
//   With transparency disabled every pixel keeps its own colour, and no mask
//   plane is written.
// - A source that keeps32Bits gives a 32-bit picture, blue, green, red, alpha
//   bytes a pixel, with no mask plane.
// A stream output gets every pixel row first and then, after the source is
// rewound, the mask plane, so that it is written strictly in order.
void EncodeRowsToSkin(RgbaRowSource& source, ByteSink& output, TransparencyColour colour,
                      bool transparencyEnabled);

}  // namespace lumigram
