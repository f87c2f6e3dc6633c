#pragma once

namespace CLI {
class App;
}

namespace lumigram::cli {

// Each registers its commands on the app; a command run sets exitCode.

// decode, encode and info.
void AddCodecCommands(CLI::App& app, int& exitCode);
// pack, unpack, list and verify.
void AddPackageCommands(CLI::App& app, int& exitCode);
// convert-all: the window's Convert all, for scripts.
void AddConvertAllCommand(CLI::App& app, int& exitCode);
// convert: pictures into and out of ".k", the direction from their content.
void AddPictureConvertCommand(CLI::App& app, int& exitCode);
// extract, update, delete and diff: a package member by member.
void AddPackageEditCommands(CLI::App& app, int& exitCode);
// thumbnail: a PNG of a ".k" picture for file managers (Qt's PNG writer).
void AddThumbnailCommand(CLI::App& app, int& exitCode);

}  // namespace lumigram::cli
