#pragma once

namespace CLI {
class App;
}

namespace lumigram::cli {

// pack, unpack, list and verify.
void AddPackageCommands(CLI::App& app, int& exitCode);

}  // namespace lumigram::cli
