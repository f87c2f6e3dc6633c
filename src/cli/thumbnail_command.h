#pragma once

namespace CLI {
class App;
}

namespace lumigram::cli {

// thumbnail: a PNG of a ".k" picture for file managers (Qt's PNG writer).
void AddThumbnailCommand(CLI::App& app, int& exitCode);

}  // namespace lumigram::cli
