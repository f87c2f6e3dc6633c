#pragma once

#include <string>

#include "codec/skin_format.h"

namespace lumigram {

// The one decision of how a file is turned into the scratch file that stands
// for it, shared by the window's preview and Save, Convert all and the CLI:
// - ".k": decoded into scratchDir/temp.bmp;
// - ".g": copied to scratchDir/temp.gif or temp.png after its content; neither
//   GIF nor PNG gives an empty path and writes nothing;
// - anything else: encoded; a BMP gives scratchDir/temp.k, anything else is
//   copied unchanged and gives scratchDir/temp.g (the encoder's own outcome
//   decides, not whichever scratch file happens to exist).
// Returns the scratch file's path. Codec and read errors raise; a refused input
// leaves the scratch files as they were.
std::string PrepareScratchFile(const std::string& source, const std::string& scratchDir,
                               TransparencyColour colour, bool transparencyEnabled);

}  // namespace lumigram
