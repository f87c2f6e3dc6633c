#include "codec/conversion_run.h"

#include <cctype>
#include <filesystem>

#include "codec/convert_one_file.h"
#include "package/member_names.h"
#include "platform/file_ops.h"
#include "platform/path.h"

namespace lumigram {
namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

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

OutputDecision ConversionRun::Decide(const std::string& destination) const {
    const auto exact = writtenBy_.find(destination);
    const auto folded = foldedBy_.find(Lower(destination));
    const std::string* earlier = nullptr;
    if (exact != writtenBy_.end()) {
        earlier = &exact->second;
    } else if (folded != foldedBy_.end()) {
        // The same file under another case, on a file system blind to case.
        std::error_code error;
        if (std::filesystem::equivalent(destination, folded->second.first, error)) {
            earlier = &folded->second.second;
        }
    }
    if (earlier != nullptr) {
        return {OutputVerdict::kCollides, "not written: its output " + Shown(destination) +
                                              " was already written from " + Shown(*earlier) +
                                              " in this run"};
    }
    if (noClobber_ && FileExists(destination)) {
        return {OutputVerdict::kExists,
                "not written: " + Shown(destination) + " exists and is left alone"};
    }
    return {};
}

void ConversionRun::Written(const std::string& source, const std::string& destination) {
    writtenBy_.emplace(destination, source);
    foldedBy_.emplace(Lower(destination), std::make_pair(destination, source));
}

}  // namespace lumigram
