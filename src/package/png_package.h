#pragma once

#include <string>

#include "codec/picture_conversion.h"
#include "package/ezx_pack.h"
#include "package/ezx_unpack.h"

namespace lumigram {

// Unpacks a package as UnpackEZX does, but writes every ".k" member as NAME.png
// (the extension in the case of the member's), with its transparency as alpha;
// ".g", ".a" and other members are written unchanged, and so is a ".k" member
// that has no PNG form (a depth other than 18 or 32 bits, no pixels, damaged),
// under its own name: pack --from-png then takes it back as it was.
UnpackResult UnpackAsPng(const std::string& packagePath, const std::string& folder,
                         const UnpackOptions& options = {});

// Packs a folder as PackEZX does, but encodes each NAME.png into the member
// NAME.k (alpha as the mask), which takes its place among the ".k" members. A
// folder holding both NAME.png and NAME.k is refused, naming both. Written
// through the output layer in one pass; nothing is written when the folder
// holds nothing to pack. The names and the encoding follow PlanMember, with the
// transparency settings of options.
PackResult PackFromPng(const std::string& folder, const std::string& packagePath,
                       const ConversionOptions& options = {});

}  // namespace lumigram
