#include <unistd.h>

#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <vector>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/path_validator.h"
#include "cli/transparency_options.h"
#include "codec/conversion_run.h"
#include "codec/picture_conversion.h"
#include "platform/byte_file.h"
#include "platform/io_error.h"
#include "platform/output_file.h"
#include "platform/path.h"
#include "platform/printable_text.h"

namespace lumigram::cli {
namespace {

struct ConvertArguments {
    std::vector<std::string> inputs;
    std::string output;
    std::string folder;
    std::string to;
    bool noClobber = false;
    TransparencyOptions transparency;
};

ConversionOptions OptionsOf(const ConvertArguments& a) {
    return ConversionOptions{a.transparency.colour(), a.transparency.enabled()};
}

// The files being read, so that no output replaces one of them.
std::vector<FileIdentity> InputIdentities(const std::vector<std::string>& inputs) {
    std::vector<FileIdentity> identities;
    for (const std::string& input : inputs) {
        if (const std::optional<FileIdentity> identity = IdentityOfPath(input)) {
            identities.push_back(*identity);
        }
    }
    return identities;
}

int RunToOutput(const ConvertArguments& a) {
    const std::string& input = a.inputs.front();
    return RunReportingErrors(input, [&] {
        const PictureKind kind = ReadPictureKind(input);
        std::optional<TargetFormat> target =
            a.to.empty() ? TargetFromExtension(a.output) : TargetFromName(a.to);
        if (!target && a.output == "-") {
            target = DefaultTarget(kind);
        }
        if (!target) {
            throw FormatError(
                "cannot tell the format to write from the output's name; name it .k, .g, "
                ".bmp or .png, or give --to",
                a.output);
        }
        if (const std::string refusal = ConversionRefusal(kind, *target); !refusal.empty()) {
            throw FormatError(refusal, input);
        }
        OutputRules rules;
        rules.inputs = InputIdentities(a.inputs);
        rules.keepExisting = a.noClobber;
        const std::unique_ptr<OutputFile> output = OutputFile::ForPath(a.output, true, rules);
        ConvertPicture(input, kind, *target, output->file(), OptionsOf(a));
        output->Commit();
    });
}

int RunToFolder(const ConvertArguments& a) {
    const bool progress = a.inputs.size() > 1 && ::isatty(STDERR_FILENO) != 0;
    std::size_t written = 0;
    std::size_t failed = 0;
    std::size_t leftAlone = 0;
    std::unique_ptr<OutputFolder> folder;
    if (RunReportingErrors(a.folder, [&] {
            folder = std::make_unique<OutputFolder>(OutputFolder::OpenCreating(a.folder));
        }) != kExitOk) {
        return kExitFailed;
    }
    OutputRules rules;
    rules.inputs = InputIdentities(a.inputs);
    ConversionRun run(a.noClobber, folder.get());
    for (std::size_t i = 0; i < a.inputs.size(); ++i) {
        const std::string& input = a.inputs[i];
        if (progress) {
            std::cerr << "\r[" << i + 1 << "/" << a.inputs.size() << "] " << EscapeControls(input)
                      << "\x1b[K" << std::flush;
        }
        bool skipped = false;
        const int code = RunReportingErrors(input, [&] {
            const PictureKind kind = ReadPictureKind(input);
            const std::optional<TargetFormat> target =
                a.to.empty() ? DefaultTarget(kind) : TargetFromName(a.to);
            const std::string refusal = target ? ConversionRefusal(kind, *target)
                                               : ConversionRefusal(kind, TargetFormat::kK);
            if (!refusal.empty()) {
                throw FormatError(refusal, input);
            }
            const std::string name =
                ChangeFileExt(ExtractFileName(input), TargetExtension(*target));
            const std::string destination = folder->PathOf(name);
            const OutputDecision decision = run.Decide(destination);
            if (decision.verdict == OutputVerdict::kCollides) {
                throw FormatError(decision.message, input);
            }
            if (decision.verdict == OutputVerdict::kExists) {
                skipped = true;
                return;
            }
            OutputFile output(*folder, name, rules);
            ConvertPicture(input, kind, *target, output.file(), OptionsOf(a));
            output.Commit();
            run.Written(input, destination);
        });
        if (code != kExitOk) {
            ++failed;
        } else if (skipped) {
            ++leftAlone;
        } else {
            ++written;
        }
    }
    if (progress) {
        std::cerr << "\r\x1b[K";
    }
    std::cout << "converted " << written << " of " << a.inputs.size() << " files into "
              << EscapeControls(a.folder);
    if (leftAlone > 0) {
        std::cout << " (" << leftAlone << " existing files left alone)";
    }
    if (failed > 0) {
        std::cout << " (" << failed << " failed)";
    }
    std::cout << '\n';
    return failed > 0 ? kExitFailed : kExitOk;
}

}  // namespace

void AddPictureConvertCommand(CLI::App& app, int& exitCode) {
    auto a = std::make_shared<ConvertArguments>();
    CLI::App* command = app.add_subcommand(
        "convert",
        "Convert pictures into or out of .k skin pictures; the direction comes from each "
        "input's content (.k -> PNG, BMP or PNG -> .k, GIF -> .g)");
    command->add_option("INPUT", a->inputs, "Pictures to read (.k, BMP, PNG or GIF)")
        ->required()
        ->check(NonEmptyPath());
    CLI::Option* output =
        command
            ->add_option("-o,--output", a->output,
                         "File to write, for one INPUT; its extension (.k, .g, .bmp, .png) gives "
                         "the format; - for standard output")
            ->check(NonEmptyPath());
    CLI::Option* folder =
        command
            ->add_option("-d,--folder", a->folder,
                         "Folder to write into (created if missing), outputs named after inputs")
            ->check(NonEmptyPath());
    output->excludes(folder);
    command
        ->add_option("--to", a->to,
                     "Format to write: k, g, bmp or png (default: from -o's name; "
                     "with -d, .k -> png, BMP/PNG -> k, GIF -> g)")
        ->check(CLI::IsMember({"k", "g", "bmp", "png"}, CLI::ignore_case));
    AddTransparencyOptions(*command, a->transparency);
    command->add_flag("--no-clobber", a->noClobber, "Leave existing output files alone");
    command->footer(
        "With -d, outputs named alike are written once: the first input's. " +
        std::string(kCaseBlindFooter) +
        "Exit status: 0 when every input was converted, 1 when any failed (the others are "
        "still converted), 2 for a usage error.\n"
        "Examples:\n"
        "  lumigram-cli convert icon.k -o icon.png\n"
        "  lumigram-cli convert icon.png -o icon.k\n"
        "  lumigram-cli convert *.k *.png -d converted/\n"
        "  lumigram-cli convert icon.k --to png -o - | display");
    command->callback([a, &exitCode] {
        if (a->output.empty() == a->folder.empty()) {
            throw CLI::ValidationError("convert", "give either -o OUTPUT or -d FOLDER");
        }
        if (!a->output.empty() && a->inputs.size() > 1) {
            throw CLI::ValidationError("convert",
                                       "-o takes one INPUT; for several, write into -d FOLDER");
        }
        exitCode = a->output.empty() ? RunToFolder(*a) : RunToOutput(*a);
    });
}

}  // namespace lumigram::cli
