#include <CLI/CLI.hpp>
#include <algorithm>
#include <iostream>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

#include "cli/cli_app.h"
#include "cli/cli_support.h"
#include "cli/commands.h"

#ifndef LUMIGRAM_VERSION
#define LUMIGRAM_VERSION "0.0.0"
#endif

namespace lumigram::cli {
namespace {

std::size_t EditDistance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        row[j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The command a mistyped one most likely meant: one it begins, else the
// nearest by edits when it is near enough to be a slip.
std::string ClosestCommand(const CLI::App& app, std::string_view typed) {
    std::string best;
    std::size_t bestDistance = std::numeric_limits<std::size_t>::max();
    for (const CLI::App* command : app.get_subcommands({})) {
        const std::string& name = command->get_name();
        if (!typed.empty() && name.starts_with(typed)) {
            return name;
        }
        const std::size_t distance = EditDistance(typed, name);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = name;
        }
    }
    return bestDistance <= std::max<std::size_t>(2, typed.size() / 2) ? best : std::string();
}

// A usage error in the program's own voice, with the way to help.
int ReportUsageError(const CLI::App& app, const CLI::ParseError& error, int argc, char** argv) {
    std::string message = error.what();
    if (argc > 1 && argv[1][0] != '-' && app.get_subcommands({}).size() > 0) {
        const std::string typed = argv[1];
        bool known = false;
        for (const CLI::App* command : app.get_subcommands({})) {
            known = known || command->get_name() == typed;
        }
        if (!known) {
            message = "unknown command '" + typed + "'";
            const std::string closest = ClosestCommand(app, typed);
            if (!closest.empty()) {
                message += "; did you mean '" + closest + "'?";
            }
        }
    }
    PrintError("", message);
    std::cerr << "Run 'lumigram-cli --help' for the commands and their options.\n";
    return kExitUsage;
}

}  // namespace

int RunCli(int argc, char** argv) {
    CLI::App app{"Lumigram command-line companion: convert skin pictures and packages.",
                 "lumigram-cli"};
    // Only -x and --long are options, on Windows as elsewhere: a path that
    // begins with "/" (the root of the current drive) is a path. Subcommands
    // take this from the app as they are added.
    app.allow_windows_style_options(false);
    app.set_version_flag("--version", std::string("lumigram-cli ") + LUMIGRAM_VERSION);
    app.require_subcommand(1);
    app.footer(
        "Examples:\n"
        "  lumigram-cli decode icon.k icon.bmp\n"
        "  lumigram-cli encode icon.bmp icon.k --transparency-color FF00FF\n"
        "  lumigram-cli info icon.k --json\n"
        "  lumigram-cli pack myskin/ myskin.ezx\n"
        "  lumigram-cli unpack myskin.ezx myskin/\n"
        "  lumigram-cli list myskin.ezx --json\n"
        "  lumigram-cli verify myskin.ezx\n"
        "  lumigram-cli convert-all myskin/ pictures/ --transparency-color 00FF00\n"
        "  lumigram-cli convert icon.k -o icon.png\n"
        "  lumigram-cli convert *.png -d skin/\n"
        "  lumigram-cli extract myskin.ezx icon.k -o icon.k\n"
        "  lumigram-cli update myskin.ezx icon.png --convert\n"
        "  lumigram-cli delete myskin.ezx old.k\n"
        "  lumigram-cli diff old.ezx new.ezx --json\n"
        "  lumigram-cli unpack myskin.ezx myskin/ --png\n"
        "  lumigram-cli pack myskin/ myskin.ezx --from-png\n"
        "\n"
        "Exit codes: 0 success, 1 the work failed or the input was refused, 2 usage error.\n"
        "Errors are printed as 'lumigram-cli: FILE: message'.\n"
        "verify prints one line per finding, 'damaged package: member N: ...' (unpack refuses "
        "the package) or 'unusual package: member N: ...' (unpack goes on, skipping odd "
        "members), and exits 0 only when it finds nothing; --json prints {sound, members, "
        "findings}.\n"
        "Run 'lumigram-cli COMMAND --help' for a command's options and an example.");

    int exitCode = kExitOk;
    AddCodecCommands(app, exitCode);
    AddPackageCommands(app, exitCode);
    AddConvertAllCommand(app, exitCode);
    AddPictureConvertCommand(app, exitCode);
    AddPackageEditCommands(app, exitCode);
#ifdef LUMIGRAM_THUMBNAILS
    AddThumbnailCommand(app, exitCode);
#endif

    // Every command runs inside the one wrapper: whatever a command does not
    // report itself is reported here, never left to end the program.
    std::optional<int> parseExit;
    if (RunReportingErrors("", [&] {
            try {
                app.parse(argc, argv);
            } catch (const CLI::CallForHelp& e) {
                parseExit = app.exit(e);
            } catch (const CLI::CallForAllHelp& e) {
                parseExit = app.exit(e);
            } catch (const CLI::CallForVersion& e) {
                parseExit = app.exit(e);
            } catch (const CLI::ParseError& e) {
                parseExit = ReportUsageError(app, e, argc, argv);
            }
        }) != kExitOk) {
        exitCode = kExitFailed;
    } else if (parseExit) {
        return *parseExit;
    }
    // Output that never arrived is a failure, whatever the command thought.
    if (!FlushStandardOutput() && exitCode == kExitOk) {
        return kExitFailed;
    }
    return exitCode;
}

}  // namespace lumigram::cli
