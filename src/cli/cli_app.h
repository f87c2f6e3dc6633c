#pragma once

namespace lumigram::cli {

// Parses the command line and runs the chosen command; returns the exit code
// (0 success, 1 the work failed or the input was refused, 2 usage error).
int RunCli(int argc, char** argv);

}  // namespace lumigram::cli
