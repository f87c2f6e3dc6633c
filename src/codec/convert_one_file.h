#pragma once

#include <string>

#include "codec/skin_format.h"
#include "platform/output_file.h"

namespace lumigram {

// What converting one file of a batch did.
struct ConversionOutcome {
    std::string destination;  // where the result went; empty when there was none
    bool written = false;     // false: no result (a ".g" neither GIF nor PNG) or the copy failed
    std::string problem;      // why the copy failed ("is a FIFO, not a regular file", ...)
};

// Converts one file the way the window's Convert all does, through the scratch
// files of scratchDir:
// - ".k": decoded to BMP, written as stem + ".bmp";
// - ".g": its GIF or PNG bytes, written as stem + ".gif" / ".png" (neither: nothing);
// - anything else: encoded; a BMP is written as stem + ".k", anything else is
//   copied unchanged as stem + ".g".
// The stem is the source's name cut before its last "." (when it has one). The
// output copy goes through the output layer, relative to outputFolder's
// descriptor: it replaces a file (or link) of that name only when complete, and
// refuses a folder, FIFO or device there and, by rules, the run's own inputs.
// Its failure is not an error: the outcome tells why. All five scratch files
// are deleted afterwards. Codec and read errors raise (and leave the scratch
// files of the failing file).
ConversionOutcome ConvertOneFile(const std::string& source, const OutputFolder& outputFolder,
                                 const std::string& scratchDir, TransparencyColour colour,
                                 bool transparencyEnabled, const OutputRules& rules = {});

// The same, opening outputFolder for this one file.
ConversionOutcome ConvertOneFile(const std::string& source, const std::string& outputFolder,
                                 const std::string& scratchDir, TransparencyColour colour,
                                 bool transparencyEnabled);

// The output extension ConvertOneFile would give source, read from its name and
// first bytes without converting anything: ".bmp", ".gif", ".png", ".k", ".g",
// or empty when nothing would be written.
std::string PlannedOutputExtension(const std::string& source);

// outputFolder + separator + the source's name with its extension replaced by
// newExtension in the case of the source's (ExtensionInCaseOf).
std::string OutputPathFor(const std::string& source, const std::string& outputFolder,
                          const std::string& newExtension);

}  // namespace lumigram
