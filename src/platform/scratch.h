#pragma once

#include <string>
#include <string_view>

namespace lumigram {

// The five scratch files the program exchanges pictures through. Each is formed
// as ScratchDir() + separator + name; every writer creates or overwrites its file.
inline constexpr std::string_view kScratchBmp = "temp.bmp";
inline constexpr std::string_view kScratchGif = "temp.gif";
inline constexpr std::string_view kScratchPng = "temp.png";
inline constexpr std::string_view kScratchK = "temp.k";
inline constexpr std::string_view kScratchG = "temp.g";

// The folder that receives the scratch files: the window sets it once at start-up
// to the current directory; the batch converter of the CLI sets a private one.
const std::string& ScratchDir();
void SetScratchDir(std::string folder);

// The current directory, with no trailing separator except at the root.
std::string CurrentDirectory();

// ScratchDir() joined with one scratch name.
std::string ScratchPath(std::string_view name);

// Deletes all five scratch files of folder (a conversion's clean-up), each
// whatever became of the one before.
void DeleteScratchFiles(const std::string& folder);

// Deletes the four scratch files the window's Exit removes: all but "temp.g".
void DeleteExitScratchFiles(const std::string& folder);

}  // namespace lumigram
