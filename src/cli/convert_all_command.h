#pragma once

namespace CLI {
class App;
}

namespace lumigram::cli {

// convert-all: the window's Convert all, for scripts.
void AddConvertAllCommand(CLI::App& app, int& exitCode);

}  // namespace lumigram::cli
