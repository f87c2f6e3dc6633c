// A pack of 200 MiB over an existing package, killed with SIGKILL at random
// moments: afterwards the package is always either the old one or the complete
// new one, never a mixture or a torso.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "cli/cli_test_support.h"
#include "support/packages.h"

namespace lumigram::test {
namespace {

namespace fs = std::filesystem;

// Whether two files hold the same bytes, compared a mebibyte at a time.
bool SameContent(const std::string& a, const std::string& b) {
    if (fs::file_size(a) != fs::file_size(b)) {
        return false;
    }
    std::ifstream first(a, std::ios::binary);
    std::ifstream second(b, std::ios::binary);
    std::vector<char> x(1 << 20);
    std::vector<char> y(1 << 20);
    while (first && second) {
        first.read(x.data(), static_cast<std::streamsize>(x.size()));
        second.read(y.data(), static_cast<std::streamsize>(y.size()));
        if (first.gcount() != second.gcount() ||
            std::memcmp(x.data(), y.data(), static_cast<std::size_t>(first.gcount())) != 0) {
            return false;
        }
    }
    return true;
}

pid_t StartPack(const std::string& folder, const std::string& package) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::execl(LUMIGRAM_CLI, LUMIGRAM_CLI, "pack", folder.c_str(), package.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return child;
}

TEST(KillTest, APackKilledAtAnyMomentLeavesTheOldOrTheNewPackage) {
    // Memory-backed when possible: the test is about atomicity, not the disk.
    const std::string base =
        fs::is_directory("/dev/shm") ? "/dev/shm" : fs::temp_directory_path().string();
    std::string pattern = base + "/lumigram-kill-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const std::string root = pattern;
    const std::string folder = root + "/skin";
    const std::string package = root + "/skin.ezx";
    fs::create_directory(folder);
    for (int i = 0; i < 4; ++i) {
        WriteAll(folder + "/part" + std::to_string(i) + ".k",
                 CountingBytes(50u << 20, static_cast<std::uint8_t>(i)));
    }

    // The complete new package, and how long a pack takes.
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(RunCli("pack " + Args(folder, package)).exitCode, 0);
    const auto full = std::chrono::steady_clock::now() - start;
    const std::string complete = root + "/complete.ezx";
    fs::copy_file(package, complete);
    const Bytes old = ExamplePackage();

    std::mt19937 random(12345);
    const auto span = std::chrono::duration_cast<std::chrono::microseconds>(full).count();
    int oldSeen = 0;
    int newSeen = 0;
    constexpr int kKills = 24;
    for (int i = 0; i < kKills; ++i) {
        WriteAll(package, old);
        const pid_t child = StartPack(folder, package);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % (2 * span + 1)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        if (fs::file_size(package) == old.size() && ReadAll(package) == old) {
            ++oldSeen;
        } else {
            ASSERT_TRUE(SameContent(package, complete))
                << "kill " << i << " left a damaged package";
            ++newSeen;
        }
        for (const auto& entry : fs::directory_iterator(root)) {  // a killed run's temporary
            if (entry.path().filename().string().starts_with(".skin.ezx.lumigram-")) {
                fs::remove(entry.path());
            }
        }
    }
    std::cout << kKills << " kills: old package " << oldSeen << " times, new package " << newSeen
              << " times\n";
    fs::remove_all(root);
}

}  // namespace
}  // namespace lumigram::test
