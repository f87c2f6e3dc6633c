// Runs "lumigram-cli thumbnail ... 128", as a file manager does for every file
// it shows, on a small picture, a 4096 x 4096 one and a 16,383 x 65,535 one (a
// 4 GiB sparse file), and reports wall-clock time and peak memory beside those
// of "lumigram-cli info" on the same file: the cost of starting the tool.
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "bench_support.h"
#include "codec/skin_format.h"
#include "platform/byte_file.h"

using namespace lumigram;

namespace {

constexpr int kRuns = 5;

// An 18-bit picture with a full mask plane (a third of it transparent), or a
// 32-bit one whose rows are left as holes of a sparse file.
void WriteSkin(const std::string& path, std::uint16_t width, std::uint16_t height,
               std::uint8_t bits) {
    SkinHeader header;
    header.width = width;
    header.height = height;
    header.bitsPerPixel = bits;
    header.rowStride = static_cast<std::uint16_t>(RoundUpTo4(width * (bits == 32 ? 4u : 3u)));
    ByteFile out = ByteFile::Create(path);
    out.Write(MakeSkinHeader(header));
    if (bits == 32) {
        out.Close();
        if (::truncate(path.c_str(),
                       static_cast<off_t>(16 + std::uint64_t{height} * header.rowStride)) != 0) {
            std::perror("truncate");
        }
        return;
    }
    std::vector<std::uint8_t> row(header.rowStride);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t i = 0; i < row.size(); ++i) {
            row[i] = static_cast<std::uint8_t>(i * 7 + y);
        }
        out.Write(row);
    }
    std::vector<std::uint8_t> mask(MaskStrideFor(width));
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t i = 0; i < mask.size(); ++i) {
            mask[i] = (i + y / 8) % 3 == 0 ? 0 : 0xFF;
        }
        out.Write(mask);
    }
    out.Close();
}

bench::CommandRun Best(const std::vector<std::string>& argv) {
    bench::CommandRun best{1e9, -1};
    for (int i = 0; i < kRuns; ++i) {
        const bench::CommandRun run = bench::RunCommand(argv);
        best.seconds = std::min(best.seconds, run.seconds);
        best.peakKiB = std::max(best.peakKiB, run.peakKiB);
    }
    return best;
}

}  // namespace

int main() {
    bench::ScratchFolder dir(bench::BenchBase());
    struct Input {
        const char* what;
        std::uint16_t width;
        std::uint16_t height;
        std::uint8_t bits;
    } inputs[] = {
        {"240 x 320, 18-bit with mask", 240, 320, 18},
        {"4096 x 4096, 18-bit with mask", 4096, 4096, 18},
        {"16383 x 65535, 32-bit (4 GiB, sparse)", 16383, 65535, 32},
    };
    std::printf("%-40s %12s %12s %12s %12s\n", "input", "thumbnail s", "peak MiB", "info s",
                "peak MiB");
    for (const Input& input : inputs) {
        const std::string skin = dir.File("in.k");
        WriteSkin(skin, input.width, input.height, input.bits);
        const bench::CommandRun thumb =
            Best({LUMIGRAM_CLI, "thumbnail", skin, dir.File("thumb.png"), "128"});
        const bench::CommandRun info = Best({LUMIGRAM_CLI, "info", skin});
        std::printf("%-40s %12.4f %12.1f %12.4f %12.1f\n", input.what, thumb.seconds,
                    bench::MiBOf(thumb.peakKiB), info.seconds, bench::MiBOf(info.peakKiB));
    }
    std::printf(
        "targets: peak memory < 32 MiB for every input; time set by the thumbnail's size, "
        "not the picture's\n");
    return 0;
}
