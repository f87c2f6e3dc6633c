#pragma once

#include <string>

#include "codec/skin_format.h"

namespace CLI {
class App;
}

namespace lumigram::cli {

// decode, encode and info: registered on the app, run when chosen. Each returns
// its exit code through the value the setup hands back.
void AddCodecCommands(CLI::App& app, int& exitCode);

}  // namespace lumigram::cli
