#include "cli/commands.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <iostream>
#include <limits>
#include <memory>
#include <optional>

#include "cli/cli_support.h"
#include "cli/path_validator.h"
#include "cli/transparency_options.h"
#include "codec/conversion_run.h"
#include "codec/convert_one_file.h"
#include "codec/folder_conversion.h"
#include "codec/picture_groups.h"
#include "platform/file_ops.h"
#include "platform/interrupt_cleanup.h"
#include "platform/io_error.h"
#include "platform/output_file.h"
#include "platform/path.h"
#include "platform/printable_text.h"
#include "platform/scratch.h"
#include "platform/temporary_folder.h"

namespace lumigram::cli {
namespace {

struct ConvertAllArguments {
    std::string folder;
    std::string outputFolder;
    std::string group = "skin";
    TransparencyOptions transparency;
    bool dryRun = false;
    bool noClobber = false;
};

struct Failure {
    std::string source;
    std::string message;
};

void ShowProgress(std::size_t done, std::size_t total, const std::string& name) {
    std::cerr << "\r[" << done << "/" << total << "] " << EscapeControls(name) << "\x1b[K"
              << std::flush;
}

int RunDryRun(const ConvertAllArguments& a, const std::vector<std::string>& names) {
    std::vector<Failure> failures;
    ConversionRun run(a.noClobber);
    for (const std::string& name : names) {
        const std::string source = JoinPath(a.folder, name);
        try {
            const std::string extension = PlannedOutputExtension(source);
            if (extension.empty()) {
                std::cout << EscapeControls(source) << " -> nothing (neither GIF nor PNG)\n";
            } else {
                const std::string destination = OutputPathFor(source, a.outputFolder, extension);
                const OutputDecision decision = run.Decide(destination);
                std::cout << EscapeControls(source) << " -> " << EscapeControls(destination);
                if (decision.verdict == OutputVerdict::kCollides) {
                    std::cout << "  COLLISION, " << decision.message;
                    failures.push_back({source, decision.message});
                } else if (decision.verdict == OutputVerdict::kExists) {
                    std::cout << "  exists, left alone";
                } else {
                    run.Written(source, destination);
                }
                std::cout << '\n';
            }
        } catch (const std::exception& error) {
            failures.push_back({source, ErrorMessage(error)});
        }
    }
    for (const Failure& failure : failures) {
        PrintError(failure.source, failure.message);
    }
    return failures.empty() ? kExitOk : kExitFailed;
}

int RunConvertAll(const ConvertAllArguments& a) {
    const FileKind kind = a.group == "image" ? FileKind::kOrdinary : FileKind::kSkin;
    if (a.dryRun) {
        std::vector<std::string> names;
        const int listed = RunReportingErrors(a.folder, [&] {
            names = ListGroupFiles(a.folder, kind, std::numeric_limits<std::size_t>::max());
        });
        return listed != kExitOk ? listed : RunDryRun(a, names);
    }
    TemporaryFolder scratch;  // private: no stale or shared scratch files
    const bool progress = ::isatty(STDERR_FILENO) != 0;
    std::vector<Failure> failures;
    std::vector<Failure> leftAlone;
    FolderConversionOptions options;
    options.colour = a.transparency.colour();
    options.transparencyEnabled = a.transparency.enabled();
    options.createOutputFolder = true;
    options.noClobber = a.noClobber;
    options.scratchDir = scratch.path();
    if (progress) {
        options.onProgress = [](std::size_t done, std::size_t total, const std::string& name) {
            ShowProgress(done, total, name);
            return true;
        };
    }
    options.onFailure = [&](const std::string& path, const std::string& message) {
        failures.push_back({path, message});
    };
    options.onLeftAlone = [&](const std::string& path, const std::string& message) {
        leftAlone.push_back({path, message});
    };
    FolderConversionResult result;
    const int code = RunReportingErrors(
        a.folder, [&] { result = ConvertFolder(a.folder, kind, a.outputFolder, options); });
    if (progress) {
        std::cerr << "\r\x1b[K";
    }
    if (code != kExitOk) {
        return code;
    }
    std::cout << "converted " << result.written << " of " << result.files << " files into "
              << EscapeControls(a.outputFolder);
    if (result.noOutput > 0) {
        std::cout << " (" << result.noOutput << " .g files neither GIF nor PNG skipped)";
    }
    if (!leftAlone.empty()) {
        std::cout << " (" << leftAlone.size() << " existing files left alone)";
    }
    std::cout << '\n';
    for (const Failure& notice : leftAlone) {
        PrintError(notice.source, notice.message);
    }
    for (const Failure& failure : failures) {
        PrintError(failure.source, failure.message);
    }
    if (!failures.empty()) {
        std::cerr << "lumigram-cli: " << failures.size() << " of " << result.files
                  << " files failed\n";
    }
    return failures.empty() ? kExitOk : kExitFailed;
}

}  // namespace

void AddConvertAllCommand(CLI::App& app, int& exitCode) {
    auto arguments = std::make_shared<ConvertAllArguments>();
    CLI::App* command = app.add_subcommand(
        "convert-all",
        "Convert every picture of one group in a folder: skin files (.k, .g, .a) to ordinary "
        "pictures, or ordinary pictures (.bmp, .gif, .png) to skin files");
    command->add_option("FOLDER", arguments->folder, "Folder to convert")
        ->required()
        ->check(NonEmptyPath());
    command
        ->add_option("OUTPUT-FOLDER", arguments->outputFolder,
                     "Folder to write into (created if missing)")
        ->required()
        ->check(NonEmptyPath());
    command->add_option("--group", arguments->group, "skin (.k .g .a, the default) or image")
        ->check(CLI::IsMember({"skin", "image"}));
    AddTransparencyOptions(*command, arguments->transparency);
    command->add_flag("--dry-run", arguments->dryRun,
                      "List what would be written, and where; mark collisions");
    command->add_flag("--no-clobber", arguments->noClobber,
                      "Leave every existing output file alone, and say so");
    command->footer(
        "Unlike the window, a failed file does not stop the batch: the failures are listed at "
        "the end and the exit code is 1.\n"
        "Kinds ignore case (ICON.K becomes ICON.BMP). A file whose output name an earlier file "
        "of the run already wrote (logo.gif and logo.png both give logo.g) is reported and not "
        "written; the exit code is then 1.\n" +
        std::string(kCaseBlindFooter) +
        "Example:\n  lumigram-cli convert-all myskin/ pictures/ --no-transparency");
    command->callback([arguments, &exitCode] { exitCode = RunConvertAll(*arguments); });
}

}  // namespace lumigram::cli
