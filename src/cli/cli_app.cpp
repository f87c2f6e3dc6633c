#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/cli_app.h"
#include "cli/cli_support.h"
#include "cli/commands.h"

#ifndef LUMIGRAM_VERSION
#define LUMIGRAM_VERSION "0.0.0"
#endif

namespace lumigram::cli {

int RunCli(int argc, char** argv) {
    CLI::App app{"Lumigram command-line companion: convert skin pictures and packages.",
                 "lumigram-cli"};
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
#ifdef LUMIGRAM_THUMBNAILS
    AddThumbnailCommand(app, exitCode);
#endif

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return kExitUsage;
    }
    return exitCode;
}

}  // namespace lumigram::cli
