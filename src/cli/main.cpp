// lumigram-cli: the scriptable face of Lumigram. Every command is a thin layer
// over the core library that the window uses too.
#include "cli/cli_app.h"
#include "platform/interrupt_cleanup.h"

int main(int argc, char** argv) {
    // Ctrl+C or a SIGTERM mid-write removes the run's temporaries.
    lumigram::InstallInterruptCleanup();
    return lumigram::cli::RunCli(argc, argv);
}
