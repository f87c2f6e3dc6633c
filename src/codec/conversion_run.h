#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/folder_writes.h"

namespace lumigram {

// newExtension (".bmp", ".k", ...) in the case of the source's extension: upper
// case when every letter of sourceExtension is upper case ("ICON.K" gives
// ".BMP"), lower case otherwise. Memory cards often hold upper-case names.
std::string ExtensionInCaseOf(std::string_view newExtension, std::string_view sourceExtension);

// Where ConvertOneFile would write source's result, read from its name and first
// bytes without converting anything; empty when nothing would be written.
std::string PlannedOutputPath(const std::string& source, const std::string& outputFolder);

// Whether a file of one Convert all run may be written.
enum class OutputVerdict {
    kWrite,
    kCollides,  // an earlier file of this run already wrote this output name
    kExists,    // with no-clobber: the output file is there, and is left alone
};

struct OutputDecision {
    OutputVerdict verdict = OutputVerdict::kWrite;
    std::string message;  // for a verdict other than kWrite; names are escaped
};

// The outputs of one run that converts files into one folder (Convert all, in
// the window or the CLI, and convert -d), so that no file of the run replaces
// another's output: "logo.gif" and "logo.png" both become "logo.g", and only
// the first is written; on a file system that ignores case, "A.K" and "a.k"
// give one file, and only the first is written (FolderWrites).
class ConversionRun {
  public:
    // folder: the opened output folder, whose file system is probed for case;
    // none for a dry run, which compares names only.
    explicit ConversionRun(bool noClobber = false, const OutputFolder* folder = nullptr);

    // Before a file is converted to destination (PlannedOutputPath), a path in
    // the output folder.
    OutputDecision Decide(const std::string& destination) const;

    // After source's result was written at destination (or, in a dry run, would be).
    void Written(const std::string& source, const std::string& destination);

  private:
    bool noClobber_;
    std::unordered_map<std::string, std::string> writtenBy_;  // destination -> source
    std::optional<FolderWrites> writes_;
};

}  // namespace lumigram
