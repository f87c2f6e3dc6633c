#include <CLI/CLI.hpp>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "platform/interrupt_cleanup.h"

// Built with the window only, which only the POSIX builds have.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
extern char** environ;

namespace lumigram::cli {
namespace {

struct ThumbnailRequest {
    std::string input;
    std::string output;
    int size = 128;
};

constexpr const char* kWriterName = "lumigram-thumbnail";

std::filesystem::path OwnFolder() {
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
}

// The PNG writer lives beside lumigram-cli in a build, and in
// ../libexec/lumigram/ once installed.
std::string FindWriter() {
    const std::filesystem::path folder = OwnFolder();
    for (const std::filesystem::path& candidate :
         {folder / kWriterName, folder / ".." / "libexec" / "lumigram" / kWriterName}) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error)) {
            return candidate.string();
        }
    }
    return {};
}

// The writer's exit code, or nullopt when it could not be started.
std::optional<int> RunWriter(const std::string& writer, const ThumbnailRequest& request) {
    std::vector<std::string> arguments = {writer, request.input, request.output,
                                          std::to_string(request.size)};
    std::vector<char*> argv;
    for (std::string& a : arguments) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    // Ctrl+C or SIGTERM reaches the writer too, and is waited for: it removes
    // its temporary instead of finishing the output after we are gone. The
    // signals wait while the writer starts, so none falls between the two.
    sigset_t interrupts;
    sigset_t before;
    sigemptyset(&interrupts);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaddset(&interrupts, signal);
    }
    ::sigprocmask(SIG_BLOCK, &interrupts, &before);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setsigmask(&attributes, &before);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    pid_t child = 0;
    const int spawned =
        ::posix_spawn(&child, writer.c_str(), nullptr, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    if (spawned == 0) {
        ForwardInterruptsTo(child);
    }
    ::sigprocmask(SIG_SETMASK, &before, nullptr);
    if (spawned != 0) {
        return std::nullopt;
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    ForwardInterruptsTo(0);
    if (WIFSIGNALED(status)) {
        return 128 + WTERMSIG(status);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : kExitFailed;
}

}  // namespace

void AddThumbnailCommand(CLI::App& app, int& exitCode) {
    auto request = std::make_shared<ThumbnailRequest>();
    CLI::App* command = app.add_subcommand(
        "thumbnail", "Write a PNG thumbnail of a .k skin picture, transparent where it is");
    command->add_option("INPUT", request->input, "Skin picture")->required();
    command->add_option("OUTPUT", request->output, "PNG to write")->required();
    command
        ->add_option("SIZE", request->size,
                     "Longest side in pixels (smaller pictures keep their size)")
        ->required()
        ->check(CLI::Range(1, 4096));
    command->footer("Example:\n  lumigram-cli thumbnail icon.k icon.png 128");
    command->callback([request, &exitCode] {
        const std::string writer = FindWriter();
        const std::optional<int> status =
            writer.empty() ? std::nullopt : RunWriter(writer, *request);
        if (!status) {
            PrintError(request->input, std::string("cannot run the thumbnail writer (") +
                                           kWriterName + "); is Lumigram fully installed?");
            exitCode = kExitFailed;
            return;
        }
        exitCode = *status;
    });
}

}  // namespace lumigram::cli
