#pragma once

#include <string>

#include "codec/skin_format.h"

namespace CLI {
class App;
}

namespace lumigram::cli {

// The window's transparency controls, as options: the colour (magenta unless
// given) and whether transparency is on (it is, unless --no-transparency).
struct TransparencyOptions {
    std::string colourText = "FF00FF";
    bool disabled = false;

    TransparencyColour colour() const;
    bool enabled() const { return !disabled; }
};

void AddTransparencyOptions(CLI::App& command, TransparencyOptions& options);

}  // namespace lumigram::cli
