#include "cli/transparency_options.h"

#include <CLI/CLI.hpp>

#include "cli/cli_support.h"

namespace lumigram::cli {

TransparencyColour TransparencyOptions::colour() const {
    // The option's validator has already refused anything that does not parse.
    return ParseWebColour(colourText).value_or(TransparencyColour{});
}

void AddTransparencyOptions(CLI::App& command, TransparencyOptions& options) {
    command
        .add_option("--transparency-color", options.colourText,
                    "Transparency colour in web notation, red first (default FF00FF, magenta)")
        ->option_text("RRGGBB")
        ->check(CLI::Validator(
            [](std::string& text) -> std::string {
                return ParseWebColour(text)
                           ? std::string()
                           : "expected six hexadecimal digits RRGGBB, got '" + text + "'";
            },
            "RRGGBB"));
    command.add_flag("--no-transparency", options.disabled,
                     "Treat every pixel as opaque (no mask is read or written)");
}

}  // namespace lumigram::cli
