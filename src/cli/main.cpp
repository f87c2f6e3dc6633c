// lumigram-cli: the scriptable face of Lumigram. Every command is a thin layer
// over the core library that the window uses too.
#include "cli/cli_app.h"

int main(int argc, char** argv) {
    return lumigram::cli::RunCli(argc, argv);
}
