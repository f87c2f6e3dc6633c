#include "platform/scratch.h"

#include <filesystem>
#include <system_error>

#include "platform/file_ops.h"
#include "platform/path.h"

namespace lumigram {
namespace {

std::string& ScratchDirStorage() {
    static std::string folder;
    return folder;
}

}  // namespace

const std::string& ScratchDir() {
    return ScratchDirStorage();
}

void SetScratchDir(std::string folder) {
    ScratchDirStorage() = std::move(folder);
}

std::string CurrentDirectory() {
    std::error_code error;
    // UTF-8 on every system (string() would use Windows' ANSI code page).
    const std::u8string dir = std::filesystem::current_path(error).u8string();
    // std::filesystem never adds a trailing separator except at the root.
    return error ? std::string(".") : std::string(dir.begin(), dir.end());
}

std::string ScratchPath(std::string_view name) {
    return JoinPath(ScratchDir(), name);
}

void DeleteScratchFiles(const std::string& folder) {
    for (const std::string_view name :
         {kScratchBmp, kScratchPng, kScratchGif, kScratchK, kScratchG}) {
        DeleteFileQuietly(JoinPath(folder, name));
    }
}

void DeleteExitScratchFiles(const std::string& folder) {
    for (const std::string_view name : {kScratchBmp, kScratchPng, kScratchGif, kScratchK}) {
        DeleteFileQuietly(JoinPath(folder, name));
    }
}

}  // namespace lumigram
