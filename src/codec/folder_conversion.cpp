#include "codec/folder_conversion.h"

#include <limits>
#include <new>
#include <optional>
#include <vector>

#include "codec/conversion_run.h"
#include "codec/convert_one_file.h"
#include "codec/picture_groups.h"
#include "platform/io_error.h"
#include "platform/output_file.h"
#include "platform/printable_text.h"
#include "platform/scratch.h"

namespace lumigram {
namespace {

std::string MessageOf(const std::exception& error) {
    return dynamic_cast<const std::bad_alloc*>(&error) != nullptr ? "out of memory" : error.what();
}

// A folder named with its trailing separator (as the window's Convert all
// takes it from the chosen file) is joined without another.
std::string InFolder(const std::string& folder, const std::string& name) {
    return !folder.empty() && IsPathDelimiter(folder.back()) ? folder + name
                                                             : JoinPath(folder, name);
}

}  // namespace

FolderConversionResult ConvertFolder(const std::string& folder, FileKind group,
                                     const std::string& outputFolder,
                                     const FolderConversionOptions& options) {
    const std::vector<std::string> names =
        ListGroupFiles(folder, group, std::numeric_limits<std::size_t>::max());
    // Opened once: every output is written relative to this descriptor, so a
    // folder swapped for a link during the run redirects nothing.
    const OutputFolder output = options.createOutputFolder
                                    ? OutputFolder::OpenCreating(outputFolder)
                                    : OutputFolder::Open(outputFolder);
    OutputRules rules;
    rules.keepExisting = options.noClobber;  // left alone even if it appears during the run
    // No output may replace a file this run converts (an output folder that is
    // the input folder, or links between them).
    for (const std::string& name : names) {
        if (const auto identity = IdentityOfPath(InFolder(folder, name))) {
            rules.inputs.push_back(*identity);
        }
    }
    const auto fail = [&](const std::string& path, const std::string& message) {
        if (options.onFailure) {
            options.onFailure(path, message);
        }
    };

    FolderConversionResult result;
    result.files = names.size();
    ConversionRun run(options.noClobber, &output);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string source = InFolder(folder, names[i]);
        try {
            const std::string planned = PlannedOutputPath(source, outputFolder);
            const OutputDecision decision =
                planned.empty() ? OutputDecision{} : run.Decide(planned);
            if (decision.verdict == OutputVerdict::kExists) {
                ++result.leftAlone;
                if (options.onLeftAlone) {
                    options.onLeftAlone(source, decision.message);
                }
            } else if (decision.verdict == OutputVerdict::kCollides) {
                ++result.failed;
                fail(source, decision.message);
            } else {
                const ConversionOutcome outcome =
                    ConvertOneFile(source, output, options.scratchDir, options.colour,
                                   options.transparencyEnabled, rules);
                if (outcome.written) {
                    ++result.written;
                    run.Written(source, outcome.destination);
                } else if (outcome.destination.empty()) {
                    ++result.noOutput;
                    if (options.onNoOutput) {
                        options.onNoOutput(source);
                    }
                } else {
                    ++result.failed;
                    fail(outcome.destination, outcome.problem);
                }
            }
        } catch (const std::exception& error) {
            DeleteScratchFiles(options.scratchDir);
            ++result.failed;
            fail(source, MessageOf(error));
        }
        if (options.onProgress && !options.onProgress(i + 1, names.size(), names[i])) {
            result.cancelled = i + 1 < names.size();
            break;
        }
    }
    return result;
}

}  // namespace lumigram
