#include "codec/conversion_run.h"

#include <cctype>

#include "codec/convert_one_file.h"
#include "package/member_names.h"
#include "platform/file_ops.h"
#include "platform/path.h"
#include "platform/printable_text.h"

namespace lumigram {
namespace {

std::string Shown(const std::string& path) {
    return "\"" + EscapeName(path, true) + "\"";
}

}  // namespace

std::string ExtensionInCaseOf(std::string_view newExtension, std::string_view sourceExtension) {
    bool anyLetter = false;
    bool allUpper = true;
    for (const char c : sourceExtension) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalpha(byte)) {
            anyLetter = true;
            allUpper = allUpper && std::isupper(byte);
        }
    }
    std::string out(newExtension);
    for (char& c : out) {
        const auto byte = static_cast<unsigned char>(c);
        c = static_cast<char>(anyLetter && allUpper ? std::toupper(byte) : std::tolower(byte));
    }
    return out;
}

std::string PlannedOutputPath(const std::string& source, const std::string& outputFolder) {
    const std::string extension = PlannedOutputExtension(source);
    return extension.empty() ? std::string() : OutputPathFor(source, outputFolder, extension);
}

ConversionRun::ConversionRun(bool noClobber, const OutputFolder* folder) : noClobber_(noClobber) {
    if (folder != nullptr) {
        writes_.emplace(*folder);
    }
}

OutputDecision ConversionRun::Decide(const std::string& destination) const {
    if (const auto exact = writtenBy_.find(destination); exact != writtenBy_.end()) {
        return {OutputVerdict::kCollides, "not written: its output " + Shown(destination) +
                                              " was already written from " + Shown(exact->second) +
                                              " in this run"};
    }
    if (writes_) {
        if (const auto earlier = writes_->EarlierOutput(ExtractFileName(destination))) {
            return {OutputVerdict::kCollides, "not written: another file's output, " +
                                                  EscapeControls(*earlier) + ", " +
                                                  writes_->SameFileReason()};
        }
    }
    if (noClobber_ && FileExists(destination)) {
        return {OutputVerdict::kExists,
                "not written: " + Shown(destination) + " exists and is left alone"};
    }
    return {};
}

void ConversionRun::Written(const std::string& source, const std::string& destination) {
    writtenBy_.emplace(destination, source);
    if (writes_) {
        writes_->Written(ExtractFileName(destination));
    }
}

}  // namespace lumigram
