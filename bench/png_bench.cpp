// ".k" -> PNG and PNG -> ".k" on a 4096 x 4096 picture with lumigram-cli convert,
// against ImageMagick's convert doing BMP -> PNG and PNG -> BMP on the same
// picture in the same run. Prints times, their ratios, the PNG sizes and the
// peak memory of each lumigram-cli run. Without ImageMagick it says so and
// prints lumigram-cli's own figures.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "bench_support.h"
#include "codec/skin_encoder.h"
#include "platform/byte_file.h"

using namespace lumigram;

namespace {

constexpr int kSide = 4096;
constexpr int kRuns = 3;

void WriteTestBmp(const std::string& path) {
    const std::uint32_t stride = kSide * 3;
    std::vector<std::uint8_t> header(54, 0);
    const auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            header[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    header[0] = 'B';
    header[1] = 'M';
    put32(2, 54 + stride * kSide);
    put32(10, 54);
    put32(14, 40);
    put32(18, kSide);
    put32(22, kSide);
    header[26] = 1;
    header[28] = 24;
    ByteFile out = ByteFile::Create(path);
    out.Write(header);
    std::vector<std::uint8_t> row(stride);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            // A third magenta (transparent), the rest gradients in steps of 4 as
            // a ".k" holds them.
            const bool key = ((x / 64) + (y / 64)) % 3 == 0;
            row[3 * x] = key ? 255 : static_cast<std::uint8_t>(x & 0xFC);
            row[3 * x + 1] = key ? 0 : static_cast<std::uint8_t>(y & 0xFC);
            row[3 * x + 2] = key ? 255 : static_cast<std::uint8_t>((x ^ y) & 0xFC);
        }
        out.Write(row);
    }
    out.Close();
}

// Best of kRuns: time, and the peak memory of that run.
bench::CommandRun Best(const std::vector<std::string>& argv) {
    bench::CommandRun best;
    best.seconds = 1e9;
    for (int i = 0; i < kRuns; ++i) {
        const bench::CommandRun run = bench::RunCommand(argv);
        if (run.peakKiB < 0) {
            return run;
        }
        if (run.seconds < best.seconds) {
            best = run;
        }
    }
    return best;
}

bool HaveImageMagick() {
    return std::system("convert -version > /dev/null 2>&1") == 0;
}

long SizeOf(const std::string& path) {
    return static_cast<long>(ByteFile::OpenRead(path).Size());
}

}  // namespace

int main() {
    bench::ScratchFolder dir(bench::BenchBase());
    const std::string bmp = dir.File("big.bmp");
    const std::string skin = dir.File("big.k");
    WriteTestBmp(bmp);
    EncodeSkinPictureTo(bmp, skin, TransparencyColour{}, true);

    const bench::CommandRun toPng =
        Best({LUMIGRAM_CLI, "convert", skin, "-o", dir.File("ours.png")});
    const bench::CommandRun toSkin =
        Best({LUMIGRAM_CLI, "convert", dir.File("ours.png"), "-o", dir.File("back.k")});
    if (toPng.peakKiB < 0 || toSkin.peakKiB < 0) {
        std::printf("lumigram-cli convert failed\n");
        return 1;
    }
    std::printf("picture: %d x %d, 18-bit .k with mask (a third transparent)\n", kSide, kSide);
    std::printf("lumigram-cli .k -> PNG: %.3f s, peak %.1f MiB (target < 16), PNG %ld bytes\n",
                toPng.seconds, bench::MiBOf(toPng.peakKiB), SizeOf(dir.File("ours.png")));
    std::printf("lumigram-cli PNG -> .k: %.3f s, peak %.1f MiB (target < 16)\n", toSkin.seconds,
                bench::MiBOf(toSkin.peakKiB));

    if (!HaveImageMagick()) {
        std::printf("ImageMagick's convert is not installed: no comparison made\n");
        return 0;
    }
    const bench::CommandRun imToPng = Best({"convert", bmp, dir.File("im.png")});
    const bench::CommandRun imToBmp = Best({"convert", dir.File("im.png"), dir.File("im.bmp")});
    if (imToPng.peakKiB < 0 || imToBmp.peakKiB < 0) {
        std::printf("ImageMagick's convert failed: no comparison made\n");
        return 0;
    }
    // The way back on the very PNG ImageMagick reads, as a painter's PNG would come.
    const bench::CommandRun imPngToSkin =
        Best({LUMIGRAM_CLI, "convert", dir.File("im.png"), "-o", dir.File("im.k")});
    std::printf("lumigram-cli PNG -> .k on ImageMagick's PNG: %.3f s, peak %.1f MiB\n",
                imPngToSkin.seconds, bench::MiBOf(imPngToSkin.peakKiB));
    const long ours = SizeOf(dir.File("ours.png"));
    const long theirs = SizeOf(dir.File("im.png"));
    std::printf("ImageMagick BMP -> PNG: %.3f s, PNG %ld bytes\n", imToPng.seconds, theirs);
    std::printf("ImageMagick PNG -> BMP: %.3f s\n", imToBmp.seconds);
    std::printf(".k -> PNG speed-up over ImageMagick: %.2fx (target >= 2)\n",
                imToPng.seconds / toPng.seconds);
    std::printf("PNG -> .k speed-up over ImageMagick, same PNG: %.2fx (target >= 2)\n",
                imToBmp.seconds / imPngToSkin.seconds);
    std::printf("PNG -> .k (our own PNG) against ImageMagick's PNG -> BMP: %.2fx\n",
                imToBmp.seconds / toSkin.seconds);
    std::printf("PNG size against ImageMagick's: %+.1f%% (target <= +10%%)\n",
                100.0 * (double(ours) - double(theirs)) / double(theirs));
    return 0;
}
