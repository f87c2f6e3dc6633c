#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "codec/skin_format.h"
#include "platform/path.h"

namespace lumigram {

struct FolderConversionOptions {
    TransparencyColour colour;
    bool transparencyEnabled = true;
    bool createOutputFolder = false;  // make it (and missing parents); otherwise it must exist
    bool noClobber = false;           // leave every existing output file alone
    // A private folder for the scratch files (each file's are deleted after it).
    std::string scratchDir;
    // After each file, with (files done, files in all, its name); returning
    // false stops the run there.
    std::function<bool(std::size_t done, std::size_t total, const std::string& name)> onProgress;
    // A file that was not converted: path names the source (or the output that
    // could not be written), message says why.
    std::function<void(const std::string& path, const std::string& message)> onFailure;
    // With noClobber, an output left alone because it exists.
    std::function<void(const std::string& path, const std::string& message)> onLeftAlone;
    // A ".g" that is neither GIF nor PNG, which gives no output.
    std::function<void(const std::string& source)> onNoOutput;
};

struct FolderConversionResult {
    std::size_t files = 0;  // in the group
    std::size_t written = 0;
    std::size_t noOutput = 0;
    std::size_t leftAlone = 0;
    std::size_t failed = 0;
    bool cancelled = false;
};

// Convert all, for the window and convert-all alike: every file of group's
// extensions in folder (ListGroupFiles) through ConvertOneFile into
// outputFolder. The output folder is opened once; no output replaces a file
// the run converts, nor an output an earlier file of the run wrote (logo.gif
// and logo.png both give logo.g: only the first is written). A file that fails
// is reported and the run goes on. Listing the folder or opening the output
// folder raises, before anything is converted.
FolderConversionResult ConvertFolder(const std::string& folder, FileKind group,
                                     const std::string& outputFolder,
                                     const FolderConversionOptions& options);

}  // namespace lumigram
