// Start-up: lumigram-cli encode of a 176 x 220 BMP (the size of a phone's
// screen picture) against cp of the same file, turn about in the same run,
// the median of each. Such a conversion is all start-up: the pixels take
// microseconds.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"
#include "platform/byte_file.h"

using namespace lumigram;

namespace {

constexpr int kWidth = 176;
constexpr int kHeight = 220;
constexpr int kRuns = 101;

void WriteSmallBmp(const std::string& path) {
    const std::uint32_t stride = (kWidth * 3 + 3) & ~3u;
    std::vector<std::uint8_t> bytes(54 + std::size_t{stride} * kHeight);
    const auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, static_cast<std::uint32_t>(bytes.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, kWidth);
    put32(22, kHeight);
    bytes[26] = 1;
    bytes[28] = 24;
    for (std::size_t i = 54; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 7);
    }
    ByteFile out = ByteFile::Create(path);
    out.Write(bytes);
    out.Close();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main() {
    bench::ScratchFolder dir(bench::BenchBase());
    const std::string bmp = dir.File("screen.bmp");
    WriteSmallBmp(bmp);
    const std::vector<std::string> encode{LUMIGRAM_CLI, "encode", bmp, dir.File("screen.k")};
    const std::vector<std::string> cp{"cp", bmp, dir.File("copy.bmp")};
    std::vector<double> wall[2];
    std::vector<double> cpu[2];
    for (int i = 0; i < kRuns; ++i) {
        // Each goes first in every other round: on a busy machine the one that
        // follows the other's exit can pay for it.
        for (int turn = 0; turn < 2; ++turn) {
            const int side = (turn + i) % 2;
            const bench::CommandRun run = bench::RunCommand(side == 0 ? encode : cp);
            wall[side].push_back(run.seconds);
            cpu[side].push_back(run.cpuSeconds);
        }
    }
    std::printf("%d x %d BMP, median of %d runs each, turn about, in %s\n", kWidth, kHeight, kRuns,
                dir.path().c_str());
    std::printf("                                            wall     user+system\n");
    std::printf("  lumigram-cli encode screen.bmp screen.k  %6.2f ms  %6.2f ms\n",
                Median(wall[0]) * 1e3, Median(cpu[0]) * 1e3);
    std::printf("  cp screen.bmp copy.bmp                   %6.2f ms  %6.2f ms\n",
                Median(wall[1]) * 1e3, Median(cpu[1]) * 1e3);
    std::printf("  ratio %.2f wall, %.2f user+system (target <= 1.3)\n",
                Median(wall[0]) / Median(wall[1]), Median(cpu[0]) / Median(cpu[1]));
    return 0;
}
