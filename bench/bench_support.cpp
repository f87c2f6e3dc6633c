#include "bench_support.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <stdexcept>

#include "platform/byte_file.h"

namespace lumigram::bench {

double BestSeconds(int runs, const std::function<void()>& work) {
    double best = std::numeric_limits<double>::max();
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

void PlainCopy(const std::string& from, const std::string& to) {
    ByteFile in = ByteFile::OpenRead(from);
    ByteFile out = ByteFile::Create(to);
    std::vector<std::uint8_t> block(65536);
    while (const std::size_t n = in.Read(block)) {
        out.Write(std::span(block.data(), n));
    }
    out.Close();
}

CommandRun RunCommand(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        // Keep the figures readable: the commands' own output goes nowhere.
        const int devNull = ::open("/dev/null", O_WRONLY);
        ::dup2(devNull, STDOUT_FILENO);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage {};
    CommandRun run;
    if (::wait4(child, &status, 0, &usage) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return run;
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    run.seconds = took.count();
    run.peakKiB = usage.ru_maxrss;
    run.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return run;
}

long PeakKiBOfCommand(const std::vector<std::string>& argv) {
    return RunCommand(argv).peakKiB;
}

std::string BenchBase() {
    if (const char* chosen = std::getenv("LUMIGRAM_BENCH_DIR")) {
        return chosen;
    }
    std::error_code error;
    if (std::filesystem::is_directory("/dev/shm", error)) {
        return "/dev/shm";
    }
    return std::filesystem::temp_directory_path().string();
}

ScratchFolder::ScratchFolder(const std::string& base) {
    const std::filesystem::path root =
        base.empty() ? std::filesystem::temp_directory_path() : std::filesystem::path(base);
    std::string pattern = (root / "lumigram-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a scratch folder");
    }
    path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::array<std::uint8_t, kBmpHeaderSize> Bmp24Header(std::uint32_t width, std::uint32_t height) {
    const std::uint32_t stride = (width * 3 + 3) / 4 * 4;
    BmpHeader header;
    header.fileSize = static_cast<std::uint32_t>(kBmpHeaderSize) + stride * height;
    header.pixelOffset = static_cast<std::uint32_t>(kBmpHeaderSize);
    header.infoSize = 40;
    header.width = static_cast<std::int32_t>(width);
    header.height = static_cast<std::int32_t>(height);
    header.planes = 1;
    header.bitCount = 24;
    return MakeBmpHeader(header);
}

}  // namespace lumigram::bench
