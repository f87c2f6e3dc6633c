#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "codec/bmp_header.h"

namespace lumigram::bench {

// The 54-byte header of an uncompressed 24-bit BMP of width × height, rows
// bottom up, for the benchmarks' input pictures.
std::array<std::uint8_t, kBmpHeaderSize> Bmp24Header(std::uint32_t width, std::uint32_t height);

// Best wall-clock time of `runs` calls, in seconds: the least disturbed run.
double BestSeconds(int runs, const std::function<void()>& work);

// A plain read-and-write copy through a 64 KiB buffer: the baseline that every
// streaming figure is measured against.
void PlainCopy(const std::string& from, const std::string& to);

// A child process's wall-clock time and peak resident memory.
struct CommandRun {
    double seconds = 0;
    double cpuSeconds = 0;  // user and system time: what a loaded machine disturbs least
    long peakKiB = -1;      // -1: the command failed
};
CommandRun RunCommand(const std::vector<std::string>& argv);

// Peak resident memory of a child process running argv, in KiB (-1 on failure).
long PeakKiBOfCommand(const std::vector<std::string>& argv);

// KiB as MiB, for printing.
inline double MiBOf(long kib) {
    return static_cast<double>(kib) / 1024.0;
}

// A folder under base (the temporary folder when empty), removed at the end.
class ScratchFolder {
  public:
    explicit ScratchFolder(const std::string& base = {});
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

// Where file-heavy benchmarks run: LUMIGRAM_BENCH_DIR when set, else /dev/shm
// when it exists (a memory file system: the figures then measure the programs,
// not the disk's writeback), else the temporary folder.
std::string BenchBase();

}  // namespace lumigram::bench
